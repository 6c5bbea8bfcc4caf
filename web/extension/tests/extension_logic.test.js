// The extension's own logic under Node's test runner: which pages get the panel, what
// is read when the page cannot be read again, and which sites run the panel as the
// player's wishes and the browser's permissions change. The browser's API is a fake
// that keeps its permissions, storage and registered scripts in memory.
'use strict';

const assert = require('node:assert');
const test = require('node:test');

const logic = require('../extension_logic.js');

test('only a page with riddles gets the panel', () => {
  const rows = [
    { count: -1, want: false },  // unreadable
    { count: 0, want: false },   // read, no riddle
    { count: 1, want: true },
    { count: 4, want: true },
  ];
  for (const row of rows) assert.strictEqual(logic.showsPanel(row.count), row.want, JSON.stringify(row));
});

test('a tab that cannot be read: file access, or the browser\'s refusal', () => {
  const rows = [
    { url: 'file:///tmp/f.html', fileAccess: false, want: 'fileAccess' },
    { url: '', fileAccess: false, want: 'fileAccess' },  // a file's address is hidden without file access
    { url: 'file:///tmp/f.html', fileAccess: true, want: 'unreadablePage' },  // gone meanwhile
    { url: '', fileAccess: true, want: 'unreadablePage' },
    { url: 'chrome://settings/', fileAccess: false, want: 'unreadablePage' },
    { url: 'https://chromewebstore.google.com/', fileAccess: false, want: 'unreadablePage' },
  ];
  for (const row of rows)
    assert.strictEqual(logic.unreadableMessage(row.url, row.fileAccess), row.want, JSON.stringify(row));
});

test('how a page can be read again, and which site it belongs to', () => {
  const rows = [
    { url: 'http://127.0.0.1:8000/fordulo.html', kind: 'http', site: 'http://127.0.0.1/*' },
    { url: 'https://jatek.example/fordulo?id=7#riddle', kind: 'http', site: 'https://jatek.example/*' },
    { url: 'HTTPS://Jatek.Example/a', kind: 'http', site: 'https://jatek.example/*' },
    { url: 'http://[::1]:8080/', kind: 'http', site: 'http://[::1]/*' },
    { url: 'file:///home/j/Letöltések/fordulo-112.html', kind: 'file', site: null },
    { url: 'chrome://extensions/', kind: null, site: null },
    { url: 'about:blank', kind: null, site: null },
    { url: 'data:text/html,<BR>', kind: null, site: null },
    { url: 'blob:https://jatek.example/1234', kind: null, site: null },
    { url: 'ftp://jatek.example/fordulo.html', kind: null, site: null },
    { url: '', kind: null, site: null },
    { url: 'not a url', kind: null, site: null },
  ];
  for (const row of rows) {
    assert.strictEqual(logic.rereadKind(row.url), row.kind, `kind of ${row.url}`);
    assert.strictEqual(logic.sitePattern(row.url), row.site, `site of ${row.url}`);
    if (row.site !== null) assert.ok(logic.isSitePattern(row.site), row.site);
  }
  for (const pattern of ['<all_urls>', 'http://*/*', 'https://*.example/*', 'file:///*', 'https://a.example/x/*'])
    assert.strictEqual(logic.isSitePattern(pattern), false, pattern);
});

test('the fragment is never part of the address read again', () => {
  const rows = [
    ['https://j.example/f?x=1#top', 'https://j.example/f?x=1'],
    ['https://j.example/f', 'https://j.example/f'],
    ['file:///tmp/a.html#', 'file:///tmp/a.html'],
  ];
  for (const [url, want] of rows) assert.strictEqual(logic.withoutFragment(url), want, url);
});

test('what is read: the original bytes again, else the DOM, else nothing', async () => {
  const original = new Uint8Array([0x3c, 0x42, 0x52, 0x3e, 0xe1]);  // "<BR>á" in Windows-1250
  const dom = new TextEncoder().encode('<html><body>á<br></body></html>');
  const gives = (bytes) => async () => bytes;
  const fails = (error) => async () => {
    throw error;
  };
  const rows = [
    { name: 'http: re-read', url: 'https://j.example/f', fetch: gives(original), dom: gives(dom), want: 'original', fetched: true },
    { name: 'file: re-read', url: 'file:///tmp/f.html', fetch: gives(original), dom: gives(dom), want: 'original', fetched: true },
    { name: 'http: 404 or network error', url: 'https://j.example/f', fetch: fails(new Error('status 404')), dom: gives(dom), want: 'dom', fetched: true },
    { name: 'file: access refused', url: 'file:///tmp/f.html', fetch: fails(new Error('unreadable')), dom: gives(dom), want: 'dom', fetched: true },
    { name: 'a re-read that yields no bytes', url: 'https://j.example/f', fetch: gives(undefined), dom: gives(dom), want: 'dom', fetched: true },
    { name: 'data: is never fetched', url: 'data:text/html,x', fetch: gives(original), dom: gives(dom), want: 'dom', fetched: false },
    { name: 'about:blank is never fetched', url: 'about:blank', fetch: gives(original), dom: gives(dom), want: 'dom', fetched: false },
    { name: 'neither', url: 'https://j.example/f', fetch: fails(new Error('offline')), dom: fails(new Error('no document')), want: 'none', fetched: true },
  ];
  for (const row of rows) {
    const asked = [];
    const read = await logic.readReport(row.url, {
      fetchBytes: (url, kind) => {
        asked.push([url, kind]);
        return row.fetch();
      },
      domBytes: row.dom,
    });
    assert.strictEqual(read.source, row.want, row.name);
    assert.deepStrictEqual(read.bytes, { original, dom, none: null }[row.want], row.name);
    assert.deepStrictEqual(asked.length > 0, row.fetched, row.name);
    if (row.fetched) assert.deepStrictEqual(asked, [[row.url, logic.rereadKind(row.url)]], row.name);
  }
});

test('the engine starts without fetch, which is back afterwards, also when it throws', () => {
  const fetch = globalThis.fetch;
  for (const fails of [false, true]) {
    let during = null;
    const factory = logic.inlineOnly((options) => {
      during = typeof globalThis.fetch;
      if (fails) throw new Error('no memory');
      return Promise.resolve(options);
    });
    if (fails) assert.throws(() => factory({}), /no memory/);
    else assert.ok(factory({ print() {} }) instanceof Promise);
    assert.strictEqual(during, 'undefined', `fails: ${fails}`);
    assert.strictEqual(globalThis.fetch, fetch, `fails: ${fails}`);
  }
});

test('the panel: the DOM first, the original bytes only for a page with riddles', async () => {
  const dom = new Uint8Array([1]);
  const original = new Uint8Array([2]);
  const rows = [
    { name: 'no riddle in the DOM: no request', url: 'https://j.example/f', counts: { dom: 0 }, fetch: 'gives',
      want: { count: 0, source: 'dom' }, scans: ['dom'], fetched: false },
    { name: 'riddles: read again', url: 'https://j.example/f', counts: { dom: 3, original: 3 }, fetch: 'gives',
      want: { count: 3, source: 'original' }, scans: ['dom', 'original'], fetched: true },
    { name: 'the original holds more than the DOM', url: 'https://j.example/f', counts: { dom: 1, original: 2 },
      fetch: 'gives', want: { count: 2, source: 'original' }, scans: ['dom', 'original'], fetched: true },
    { name: 'not sent again: the DOM, scanned again', url: 'https://j.example/f', counts: { dom: 3 }, fetch: 'fails',
      want: { count: 3, source: 'dom' }, scans: ['dom', 'dom'], fetched: true },
    { name: 'sent again without riddles (another page now): the DOM', url: 'https://j.example/f',
      counts: { dom: 2, original: 0 }, fetch: 'gives', want: { count: 2, source: 'dom' },
      scans: ['dom', 'original', 'dom'], fetched: true },
    { name: 'an address that cannot be read again', url: 'about:blank', counts: { dom: 2 }, fetch: 'gives',
      want: { count: 2, source: 'dom' }, scans: ['dom'], fetched: false },
    { name: 'no document', url: 'https://j.example/f', counts: {}, fetch: 'gives', domFails: true,
      want: { count: -1, source: 'none' }, scans: [], fetched: false },
  ];
  for (const row of rows) {
    const scans = [];
    let fetched = false;
    const got = await logic.readForPanel(row.url, {
      scan: (bytes) => {
        const which = bytes === dom ? 'dom' : 'original';
        scans.push(which);
        return row.counts[which];
      },
      fetchBytes: async () => {
        fetched = true;
        if (row.fetch === 'fails') throw new Error('status 404');
        return original;
      },
      domBytes: async () => {
        if (row.domFails) throw new Error('no document');
        return dom;
      },
    });
    assert.deepStrictEqual(got, row.want, row.name);
    assert.deepStrictEqual(scans, row.scans, row.name);
    assert.strictEqual(fetched, row.fetched, row.name);
  }
});

test('bytes cross from the tab to the popup unchanged', () => {
  const all = new Uint8Array(256 * 300);
  for (let i = 0; i < all.length; ++i) all[i] = (i * 7) & 0xff;
  for (const bytes of [new Uint8Array(0), new Uint8Array([0]), all])
    assert.deepStrictEqual(logic.fromBase64(logic.toBase64(bytes)), bytes, `${bytes.length} bytes`);
});

const site = 'https://jatek.example/*';
const other = 'http://127.0.0.1/*';

test('the popup offers what the site\'s state allows', () => {
  const rows = [
    { url: 'https://jatek.example/f', granted: [], wanted: [], want: 'off' },
    { url: 'https://jatek.example/f', granted: [site], wanted: [], want: 'off' },        // granted for something else
    { url: 'https://jatek.example/f', granted: [], wanted: [site], want: 'off' },        // the player took it back
    { url: 'https://jatek.example/f', granted: [site], wanted: [site], want: 'on' },
    { url: 'https://jatek.example/f', granted: [other], wanted: [other], want: 'off' },
    { url: 'file:///tmp/f.html', granted: [site], wanted: [site], want: 'none' },
    { url: 'chrome://newtab/', granted: [], wanted: [], want: 'none' },
  ];
  for (const row of rows)
    assert.strictEqual(logic.siteState(row.url, row.granted, row.wanted), row.want, JSON.stringify(row));
});

test('registered panels follow what is wanted and granted', () => {
  const script = (pattern) => ({ id: logic.scriptId(pattern), matches: [pattern] });
  const foreign = { id: 'someone-else', matches: ['https://x.example/*'] };
  const rows = [
    { name: 'nothing', granted: [], wanted: [], registered: [], want: { register: [], unregister: [], forget: [] } },
    { name: 'granted and wanted: registered', granted: [site], wanted: [site], registered: [],
      want: { register: [site], unregister: [], forget: [] } },
    { name: 'already registered: nothing to do', granted: [site], wanted: [site], registered: [script(site)],
      want: { register: [], unregister: [], forget: [] } },
    { name: 'permission taken back in the browser: unregistered and forgotten', granted: [], wanted: [site],
      registered: [script(site)], want: { register: [], unregister: [logic.scriptId(site)], forget: [site] } },
    { name: 'turned off: unregistered, the permission is not ours to keep', granted: [site], wanted: [],
      registered: [script(site)], want: { register: [], unregister: [logic.scriptId(site)], forget: [] } },
    { name: 'the question still open: the wish waits for the grant', granted: [], wanted: [site], registered: [],
      want: { register: [], unregister: [], forget: [site] } },
    { name: 'other scripts are left alone', granted: [site], wanted: [site], registered: [foreign],
      want: { register: [site], unregister: [], forget: [] } },
    { name: 'a broad grant is no site', granted: ['<all_urls>'], wanted: ['<all_urls>'], registered: [],
      want: { register: [], unregister: [], forget: ['<all_urls>'] } },
    { name: 'two sites, one taken back', granted: [other], wanted: [site, other], registered: [script(site)],
      want: { register: [other], unregister: [logic.scriptId(site)], forget: [site] } },
  ];
  for (const row of rows) assert.deepStrictEqual(logic.reconcile(row), row.want, row.name);
});

/// The browser's API in memory: permissions, storage and registered content scripts.
function fakeApi({ granted = [], wanted = [], registered = [] } = {}) {
  const state = { granted: [...granted], stored: { sites: [...wanted] }, registered: [...registered] };
  return {
    state,
    permissions: { getAll: async () => ({ origins: [...state.granted] }) },
    storage: {
      local: {
        get: async (key) => (key in state.stored ? { [key]: state.stored[key] } : {}),
        set: async (items) => Object.assign(state.stored, items),
      },
    },
    scripting: {
      getRegisteredContentScripts: async () => [...state.registered],
      registerContentScripts: async (scripts) => {
        for (const s of scripts) {
          if (state.registered.some((r) => r.id === s.id)) throw new Error(`Duplicate script ID '${s.id}'`);
          state.registered.push(s);
        }
      },
      unregisterContentScripts: async ({ ids }) => {
        state.registered = state.registered.filter((s) => !ids.includes(s.id));
      },
    },
  };
}

test('turning a site on and off through the browser\'s API', async () => {
  const api = fakeApi();
  // "Mindig ezen a webhelyen": the browser grants the site, and the popup or the
  // background (whichever is still there) takes the grant.
  api.state.granted.push(site);
  await logic.siteGranted(api, [site]);
  assert.deepStrictEqual(api.state.registered.map((s) => [s.id, s.matches, s.js, s.runAt]),
    [[logic.scriptId(site), [site], logic.kPanelFiles, 'document_idle']]);
  assert.deepStrictEqual(api.state.stored.sites, [site]);
  assert.ok(logic.kPanelFiles.indexOf('talvorix-engine.js') < logic.kPanelFiles.indexOf('panel.js'));

  // A grant of something that is no site of its own turns nothing on.
  api.state.granted.push('https://*/*');
  await logic.siteGranted(api, ['https://*/*']);
  assert.deepStrictEqual([api.state.registered.length, api.state.stored.sites], [1, [site]]);

  // The popup and the background may both take one grant: one script stays.
  await Promise.all([logic.siteGranted(api, [site]), logic.siteGranted(api, [site])]);
  assert.strictEqual(api.state.registered.length, 1);

  // "Kikapcsolás ezen a webhelyen".
  await logic.setWanted(api, site, false);
  await logic.syncSites(api);
  assert.deepStrictEqual(api.state.registered, []);

  // Taken back in the browser's own settings: the background's sync removes the panel.
  await logic.setWanted(api, site, true);
  await logic.syncSites(api);
  assert.strictEqual(api.state.registered.length, 1);
  api.state.granted = [];
  await logic.syncSites(api);
  assert.deepStrictEqual([api.state.registered, api.state.stored.sites], [[], []]);
});
