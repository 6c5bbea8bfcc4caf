// The background: keeps the registered panels in line with the sites the player chose
// and the browser still grants (at start, and whenever a permission comes or goes).
// Chromium runs it as a service worker, Firefox as a background script after
// extension_logic.js (the manifest's "scripts").
'use strict';

if (typeof globalThis.TalvorixExtension === 'undefined' && typeof importScripts === 'function') {
  importScripts('extension_logic.js');
}

(function () {
  const api = globalThis.browser || globalThis.chrome;
  const sync = () => globalThis.TalvorixExtension.syncSites(api).catch(() => {});
  api.runtime.onInstalled.addListener(sync);
  api.runtime.onStartup.addListener(sync);
  // A site granted (through the popup, or the browser's own site access) is wanted.
  api.permissions.onAdded.addListener((added) =>
    globalThis.TalvorixExtension.siteGranted(api, added.origins || []).catch(() => {}),
  );
  api.permissions.onRemoved.addListener(sync);
})();
