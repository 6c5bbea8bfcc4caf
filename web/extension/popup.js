// The popup of the toolbar button: reads the tab's report (its original bytes where the
// same address can be read again, else its DOM), shows its riddles as the dialog does,
// and turns the panel on or off for the tab's site.
'use strict';

(function () {
  const api = globalThis.browser || globalThis.chrome;
  const extension = globalThis.TalvorixExtension;
  const message = (name) => api.i18n.getMessage(name);
  const byId = (id) => document.getElementById(id);

  globalThis.TalvorixView.translate(document, message);
  const browser = new globalThis.TalvorixPage.ResultBrowser();
  const view = new globalThis.TalvorixView.ResultView(document, browser);
  view.render(browser.screen);
  const engineReady = globalThis.TalvorixEngine.createEngine(extension.inlineOnly(globalThis.TalvorixEngineModule));

  /// The tab this popup is for: the active tab of its window, or ?tab=ID (the popup
  /// opened as a page of its own).
  async function targetTab() {
    const asked = Number(new URLSearchParams(location.search).get('tab'));
    if (Number.isInteger(asked) && asked > 0) return api.tabs.get(asked);
    const [tab] = await api.tabs.query({ active: true, currentWindow: true });
    return tab;
  }

  /// Whether the extension may read file:// pages (the player allows it per extension).
  async function fileAccessAllowed() {
    try {
      return await api.extension.isAllowedFileSchemeAccess();
    } catch {
      return false;
    }
  }

  /// Runs pageBytesForPopup(what) inside the tab; the bytes, or a failure.
  async function inTab(tab, what) {
    await api.scripting.executeScript({ target: { tabId: tab.id }, files: ['extension_logic.js'] });
    const [result] = await api.scripting.executeScript({
      target: { tabId: tab.id },
      func: (asked) => globalThis.TalvorixExtension.pageBytesForPopup(asked),
      args: [what],
    });
    if (!result || typeof result.result !== 'string') throw new Error('not read');
    return extension.fromBase64(result.result);
  }

  /// Reads the tab's report: a file by the popup itself, a web page's bytes again inside
  /// the tab (same origin, the player's own session), else the tab's DOM.
  function readTab(tab) {
    return extension.readReport(tab.url || '', {
      fetchBytes: (url, kind) => (kind === 'file' ? extension.fetchPageBytes(url) : inTab(tab, 'again')),
      domBytes: () => inTab(tab, 'dom'),
    });
  }

  async function showTab(tab) {
    const engine = await engineReady;
    const url = tab.url || '';
    const fileAccess = await fileAccessAllowed();
    // A file that may not be read is not tried: the browser would only refuse it.
    const read =
      extension.rereadKind(url) === 'file' && !fileAccess ? { bytes: null, source: 'none' } : await readTab(tab);
    if (read.bytes === null) {
      engine.scanUnreadable();
      view.setHint(message(extension.unreadableMessage(url, fileAccess)));
    } else {
      engine.scan(read.bytes);
      view.setHint(message(read.source === 'original' ? 'readOriginal' : 'readDom'));
    }
    view.load(engine);
  }

  async function showSite(tab) {
    const url = tab.url || '';
    const pattern = extension.sitePattern(url);
    let state = 'none';
    if (pattern !== null) {
      const granted = (await api.permissions.getAll()).origins || [];
      const stored = await api.storage.local.get(extension.kWantedKey);
      state = extension.siteState(url, granted, stored[extension.kWantedKey] || []);
    }
    byId('siteOn').hidden = state !== 'off';
    byId('siteOff').hidden = state !== 'on';
    document.body.dataset.site = state;
    return pattern;
  }

  async function start() {
    const tab = await targetTab();
    if (!tab) return;
    const pattern = await showSite(tab);
    byId('siteOn').addEventListener('click', () => {
      // Asked at once, inside the click: browsers ask the player only from there. The
      // popup may close while the question is open; the background then takes the grant.
      api.permissions
        .request({ origins: [pattern] })
        .catch(() => false)
        .then(async (granted) => {
          if (granted) await extension.siteGranted(api, [pattern]);
          await showSite(tab);
        });
    });
    byId('siteOff').addEventListener('click', async () => {
      await extension.setWanted(api, pattern, false);
      await extension.syncSites(api);
      await api.permissions.remove({ origins: [pattern] }).catch(() => false);
      await showSite(tab);
    });
    await showTab(tab);
    document.body.dataset.ready = 'true';
  }

  document.addEventListener('keydown', (event) => {
    const command = event.ctrlKey || event.metaKey;
    if (command && !event.altKey && (event.key === 'c' || event.key === 'C')) {
      const selection = window.getSelection();
      if (selection && !selection.isCollapsed) return;
      event.preventDefault();
      view.copy();
    } else if (!command && !event.altKey && !event.shiftKey && event.key === 'ArrowLeft') {
      view.render(browser.previous());
    } else if (!command && !event.altKey && !event.shiftKey && event.key === 'ArrowRight') {
      view.render(browser.next());
    }
  });

  start();
})();
