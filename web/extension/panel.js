// The panel on a report page of a site the player chose: the page's report is read (its
// DOM, and where that holds riddles its original bytes again) and, only when it holds
// riddles, a small panel shows them: one element #talvorix whose open shadow root holds the dialog's controls,
// out of reach of the page's styles. It can be collapsed to its title bar.
'use strict';

(async function () {
  if (window.top !== window || document.getElementById('talvorix') !== null) return;
  const api = globalThis.browser || globalThis.chrome;
  const extension = globalThis.TalvorixExtension;
  const parts = globalThis.TalvorixPanelParts;
  const message = (name) => api.i18n.getMessage(name);

  const engine = await globalThis.TalvorixEngine.createEngine(extension.inlineOnly(globalThis.TalvorixEngineModule));
  const read = await extension.readForPanel(location.href, {
    scan: (bytes) => engine.scan(bytes),
    fetchBytes: extension.fetchPageBytes,
    domBytes: extension.documentBytes,
  });
  // What this page's script decided, in the extension's own world only (tests read it).
  globalThis.talvorixPanel = read;
  if (!extension.showsPanel(read.count)) return;

  const host = document.createElement('div');
  host.id = 'talvorix';
  const root = host.attachShadow({ mode: 'open' });
  const style = document.createElement('style');
  style.textContent = parts.style;
  root.append(style);
  const markup = new DOMParser().parseFromString(parts.panel, 'text/html');
  for (const node of [...markup.body.childNodes]) root.append(document.adoptNode(node));
  globalThis.TalvorixView.translate(root, message);

  const panel = root.querySelector('.panel');
  const toggle = root.getElementById('toggle');
  const setCollapsed = (collapsed) => {
    panel.classList.toggle('collapsed', collapsed);
    toggle.setAttribute('aria-expanded', String(!collapsed));
    toggle.textContent = collapsed ? '+' : '−';
    toggle.title = message(collapsed ? 'expand' : 'collapse');
    toggle.setAttribute('aria-label', toggle.title);
  };
  toggle.addEventListener('click', () => setCollapsed(!panel.classList.contains('collapsed')));
  setCollapsed(false);

  const view = new globalThis.TalvorixView.ResultView(root, new globalThis.TalvorixPage.ResultBrowser());
  view.load(engine);
  (document.body || document.documentElement).append(host);
})();
