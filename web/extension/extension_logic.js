// The extension's own logic, free of the DOM: how a tab's report is read, which pages
// get the panel, and which sites run the panel by themselves. The popup, the panel and
// the background share it; tests run it under Node.
'use strict';

(function (exports) {
  /// The prefix of every content script this extension registers, one per site.
  const kScriptPrefix = 'talvorix-site-';
  /// What the background keeps: the sites the player asked for ("Mindig ezen a webhelyen").
  const kWantedKey = 'sites';
  /// The files that make the panel, in order: the engine, the shared logic, the view.
  const kPanelFiles = [
    'talvorix-engine.js',
    'engine.js',
    'page_logic.js',
    'extension_logic.js',
    'view.js',
    'panel_parts.js',
    'panel.js',
  ];

  /// How a page at `url` can be read again as the game sent it: 'http' (a GET of the
  /// same address), 'file' (the file itself), or null (only its DOM can be read).
  function rereadKind(url) {
    let parsed = null;
    try {
      parsed = new URL(url);
    } catch {
      return null;
    }
    if (parsed.protocol === 'http:' || parsed.protocol === 'https:') return 'http';
    if (parsed.protocol === 'file:') return 'file';
    return null;
  }

  /// The host permission pattern of the site that `url` belongs to ("https://host/*"),
  /// or null for a page that is not on a web site (file://, the browser's own pages).
  /// Match patterns take no port: a site is its scheme and host.
  function sitePattern(url) {
    if (rereadKind(url) !== 'http') return null;
    const parsed = new URL(url);
    return `${parsed.protocol}//${parsed.hostname}/*`;
  }

  /// Whether `pattern` is one site's pattern as sitePattern makes it.
  function isSitePattern(pattern) {
    return /^https?:\/\/[^/*]+\/\*$/.test(pattern);
  }

  /// What the popup offers for the tab at `url`: 'none' (no site), 'off' ("Mindig ezen a
  /// webhelyen") or 'on' ("Kikapcsolás ezen a webhelyen"). A site is on when the player
  /// asked for it and the browser still grants it.
  function siteState(url, granted, wanted) {
    const pattern = sitePattern(url);
    if (pattern === null) return 'none';
    return granted.includes(pattern) && wanted.includes(pattern) ? 'on' : 'off';
  }

  /// The content script id for a site pattern.
  function scriptId(pattern) {
    return kScriptPrefix + pattern.replace(/[^A-Za-z0-9.-]/g, '_');
  }

  /// Brings the registered panels in line with what the player wants and the browser
  /// grants: a site runs the panel exactly when both hold. `registered` lists content
  /// scripts ({ id, matches }); scripts of other ids are not this logic's. Returns the
  /// patterns to register, the ids to unregister, and the wanted sites to forget (the
  /// browser no longer grants them: the player took the permission back).
  function reconcile({ granted, wanted, registered }) {
    const live = wanted.filter((pattern) => granted.includes(pattern) && isSitePattern(pattern));
    const ours = registered.filter((script) => script.id.startsWith(kScriptPrefix));
    const liveIds = new Set(live.map(scriptId));
    const have = new Set(ours.map((script) => script.id));
    return {
      register: live.filter((pattern) => !have.has(scriptId(pattern))),
      unregister: ours.filter((script) => !liveIds.has(script.id)).map((script) => script.id),
      forget: wanted.filter((pattern) => !live.includes(pattern)),
    };
  }

  /// The message for a tab whose report could not be read at all: how to allow file
  /// access where the tab is, or may be, a file (the browser hides a file's address
  /// from an extension that may not read files), else that the browser refuses the tab.
  function unreadableMessage(url, fileAccess) {
    if (fileAccess) return 'unreadablePage';
    return url === '' || rereadKind(url) === 'file' ? 'fileAccess' : 'unreadablePage';
  }

  /// Whether a page whose report gave `count` (-1, 0 or n) gets the panel: only one
  /// that holds riddles. Pages without any get nothing at all.
  function showsPanel(count) {
    return count >= 1;
  }

  /// Reads the report of the page at `url`: its original bytes where the same address
  /// can be read again (`fetchBytes(url, kind)` resolves a Uint8Array or fails), else
  /// the DOM as the browser holds it (`domBytes()`, UTF-8). Resolves { bytes, source }
  /// with source 'original', 'dom' or 'none' (bytes null: nothing could be read).
  async function readReport(url, { fetchBytes, domBytes }) {
    const kind = rereadKind(url);
    if (kind !== null) {
      try {
        const bytes = await fetchBytes(url, kind);
        if (bytes instanceof Uint8Array) return { bytes, source: 'original' };
      } catch {
        // Gone, refused or not allowed: the DOM still holds what the game sent.
      }
    }
    try {
      const bytes = await domBytes();
      if (bytes instanceof Uint8Array) return { bytes, source: 'dom' };
    } catch {
      // No document to read.
    }
    return { bytes: null, source: 'none' };
  }

  /// What the panel shows for a page. Its DOM is read first, so a page without riddles
  /// costs no request at all; a page with riddles is read again as the game sent it,
  /// and its DOM stands where that fails or holds no riddle. `scan(bytes)` returns the
  /// engine's count and leaves that scan's records in the engine. Resolves { count,
  /// source }: the engine then holds the records of source 'original' or 'dom'
  /// ('none': not even the DOM could be read).
  async function readForPanel(url, { scan, fetchBytes, domBytes }) {
    let dom = null;
    try {
      dom = await domBytes();
    } catch {
      return { count: -1, source: 'none' };
    }
    const count = scan(dom);
    const kind = rereadKind(url);
    if (!showsPanel(count) || kind === null) return { count, source: 'dom' };
    try {
      const original = await fetchBytes(url, kind);
      if (original instanceof Uint8Array) {
        const again = scan(original);
        if (showsPanel(again)) return { count: again, source: 'original' };
      }
    } catch {
      // Not sent again: the DOM holds what the game sent.
    }
    return { count: scan(dom), source: 'dom' };
  }

  /// The page's address without its fragment: the fragment is never sent.
  function withoutFragment(url) {
    const at = url.indexOf('#');
    return at < 0 ? url : url.slice(0, at);
  }

  /// The page's bytes again (response.arrayBuffer(): the bytes as sent, undecoded).
  /// http(s), inside the page: a GET of the same address, from the browser's cache
  /// where it still holds the page. file:, in the popup: the file itself (allowed only
  /// where the player let the extension read files). A failed status is a failure.
  async function fetchPageBytes(url) {
    const response = await fetch(withoutFragment(url), { cache: 'force-cache', credentials: 'include' });
    if (!response.ok) throw new Error(`status ${response.status}`);
    return new Uint8Array(await response.arrayBuffer());
  }

  /// Inside a page: the document as the browser holds it, serialised (UTF-8).
  function documentBytes() {
    return new TextEncoder().encode(document.documentElement.outerHTML);
  }

  /// The engine's module factory without its first try at fetching its own inlined
  /// data: URL, which the extension's CSP refuses (and the browser logs as an error)
  /// before the module decodes those bytes itself. fetch is hidden only while the
  /// module starts, which it does synchronously.
  function inlineOnly(moduleFactory) {
    return (options) => {
      const fetch = globalThis.fetch;
      globalThis.fetch = undefined;
      try {
        return moduleFactory(options);
      } finally {
        globalThis.fetch = fetch;
      }
    };
  }

  /// Bytes as base64 (what crosses from a tab to the popup), and back.
  function toBase64(bytes) {
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(binary);
  }

  function fromBase64(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  /// Inside a page, for the popup: its bytes again ('again') or its DOM ('dom'), as
  /// base64; fails as the reading fails.
  async function pageBytesForPopup(what) {
    const bytes = what === 'again' ? await fetchPageBytes(location.href) : documentBytes();
    return toBase64(bytes);
  }

  /// Applies reconcile() through the browser's API (chrome or browser). Errors of one
  /// step do not stop the others: a script another call registered meanwhile is there.
  async function syncSites(api) {
    const granted = (await api.permissions.getAll()).origins || [];
    const stored = await api.storage.local.get(kWantedKey);
    const wanted = Array.isArray(stored[kWantedKey]) ? stored[kWantedKey] : [];
    const registered = await api.scripting.getRegisteredContentScripts();
    const plan = reconcile({ granted, wanted, registered });
    if (plan.unregister.length > 0) {
      await api.scripting.unregisterContentScripts({ ids: plan.unregister }).catch(() => {});
    }
    for (const pattern of plan.register) {
      await api.scripting
        .registerContentScripts([
          { id: scriptId(pattern), matches: [pattern], js: kPanelFiles, runAt: 'document_idle' },
        ])
        .catch(() => {});
    }
    if (plan.forget.length > 0) {
      await api.storage.local.set({ [kWantedKey]: wanted.filter((p) => !plan.forget.includes(p)) });
    }
    return plan;
  }

  /// Adds or removes a site from what the player wants (before asking the browser).
  async function setWanted(api, pattern, on) {
    const stored = await api.storage.local.get(kWantedKey);
    const wanted = (Array.isArray(stored[kWantedKey]) ? stored[kWantedKey] : []).filter((p) => p !== pattern);
    if (on) wanted.push(pattern);
    await api.storage.local.set({ [kWantedKey]: wanted });
    return wanted;
  }

  /// The browser granted `origins`: each site among them is wanted from now on, and
  /// the panels follow.
  async function siteGranted(api, origins) {
    for (const pattern of origins.filter(isSitePattern)) await setWanted(api, pattern, true);
    return syncSites(api);
  }

  Object.assign(exports, {
    kScriptPrefix,
    kWantedKey,
    kPanelFiles,
    rereadKind,
    sitePattern,
    isSitePattern,
    siteState,
    scriptId,
    reconcile,
    showsPanel,
    unreadableMessage,
    readReport,
    withoutFragment,
    fetchPageBytes,
    documentBytes,
    readForPanel,
    inlineOnly,
    toBase64,
    fromBase64,
    pageBytesForPopup,
    syncSites,
    setWanted,
    siteGranted,
  });
})(typeof module === 'object' ? module.exports : (globalThis.TalvorixExtension = {}));
