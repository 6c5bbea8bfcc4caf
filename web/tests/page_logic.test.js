// The page's own logic under Node's test runner: paging, notices, what is copied, and
// which reports of a watched folder are shown and when. The watching is driven through
// a fake directory handle and fake timers: a headless browser cannot answer the real
// folder chooser.
'use strict';

const assert = require('node:assert');
const test = require('node:test');

const logic = require('../page_logic.js');

/// A report as the engine hands it over, with `count` records named r1, r2, ...
function fakeReport(count) {
  return {
    count,
    record: (k) => ({ text: `text ${k}`, answer: `a${k}`, title: ` title ${k} `, copied: `copied ${k}` }),
    notice: () => (count < 0 ? 'Nincs ilyen fájl' : 'Nem találtam feladványt a fájlban'),
  };
}

test('paging wraps round at both ends, and does nothing without records', () => {
  const rows = [
    { count: 3, steps: '', want: '1/3' },
    { count: 3, steps: '>', want: '2/3' },
    { count: 3, steps: '>>>', want: '1/3' },
    { count: 3, steps: '<', want: '3/3' },
    { count: 3, steps: '><', want: '1/3' },
    { count: 3, steps: '>><', want: '2/3' },
    { count: 3, steps: '<<<<', want: '3/3' },
    { count: 1, steps: '>', want: '1/1' },
    { count: 1, steps: '<', want: '1/1' },
    { count: 0, steps: '><', want: '' },
    { count: -1, steps: '<>', want: '' },
  ];
  for (const row of rows) {
    const browser = new logic.ResultBrowser();
    browser.load(fakeReport(row.count));
    for (const step of row.steps) step === '>' ? browser.next() : browser.previous();
    assert.strictEqual(browser.screen.counter, row.want, JSON.stringify(row));
    if (row.count >= 1) {
      const k = Number(row.want.split('/')[0]);
      assert.deepStrictEqual(browser.screen, { text: `text ${k}`, answer: `a${k}`, title: ` title ${k} `,
                                               counter: row.want }, JSON.stringify(row));
    }
  }
});

test('the screen at the start and the notices', () => {
  const rows = [
    { name: 'start', make: () => new logic.ResultBrowser().screen,
      want: { text: '', answer: '', title: '  Feladvány  ', counter: '' } },
    { name: 'no riddle', make: () => new logic.ResultBrowser().load(fakeReport(0)),
      want: { text: 'Nem találtam feladványt a fájlban', answer: '', title: ' Feladvány ', counter: '' } },
    { name: 'unreadable', make: () => new logic.ResultBrowser().load(fakeReport(-1)),
      want: { text: 'Nincs ilyen fájl', answer: '', title: ' Feladvány ', counter: '' } },
    { name: 'records, then none', make: () => {
        const browser = new logic.ResultBrowser();
        browser.load(fakeReport(2));
        browser.next();
        return browser.load(fakeReport(0));
      },
      want: { text: 'Nem találtam feladványt a fájlban', answer: '', title: ' Feladvány ', counter: '' } },
    { name: 'a folder without reports', make: () => new logic.ResultBrowser().showNotice(logic.kNoReportYet),
      want: { text: 'Még nincs forduló ebben a mappában', answer: '', title: ' Feladvány ', counter: '' } },
  ];
  for (const row of rows) assert.deepStrictEqual(row.make(), row.want, row.name);
});

test('what is copied: the record on screen, nothing without one', () => {
  const rows = [
    { name: 'nothing loaded', count: null, steps: '', want: null },
    { name: 'no riddle', count: 0, steps: '', want: null },
    { name: 'unreadable', count: -1, steps: '', want: null },
    { name: 'first', count: 3, steps: '', want: 'copied 1' },
    { name: 'after paging back', count: 3, steps: '<', want: 'copied 3' },
  ];
  for (const row of rows) {
    const browser = new logic.ResultBrowser();
    if (row.count !== null) browser.load(fakeReport(row.count));
    for (const step of row.steps) step === '>' ? browser.next() : browser.previous();
    assert.strictEqual(browser.copied(), row.want, row.name);
  }
  const browser = new logic.ResultBrowser();
  browser.load(fakeReport(2));
  browser.showNotice(logic.kNoReportYet);
  assert.strictEqual(browser.copied(), null, 'a notice of the page own');
});

test('which files of a watched folder may be shown', () => {
  const rows = [
    { name: 'fordulo.html', size: 10, want: true },
    { name: 'FORDULO.HTM', size: 10, want: true },
    { name: 'mentett.mhtml', size: 10, want: true },
    { name: 'mentett.MHT', size: 10, want: true },
    { name: 'fordulo.html', size: 0, want: false },
    { name: '.html', size: 10, want: false },
    { name: 'fordulo.html.part', size: 10, want: false },
    { name: 'fordulo.html.crdownload', size: 10, want: false },
    { name: 'fordulo.html.download', size: 10, want: false },
    { name: 'fordulo.html.tmp', size: 10, want: false },
    { name: 'jegyzet.txt', size: 10, want: false },
    { name: 'fordulo.htmlx', size: 10, want: false },
  ];
  for (const row of rows) assert.strictEqual(logic.isWatchable(row), row.want, row.name);
});

const file = (name, size, lastModified) => ({ name, size, lastModified });

test('a watched folder shows the report that settled last', () => {
  // Each row: looks at times with listings; `want` is what each look shows (null: nothing).
  const rows = [
    { name: 'the newest present at the start, once it has held',
      looks: [[0, [file('a.html', 5, 100), file('b.html', 5, 200)]], [299, null], [300, null]],
      want: [null, null, 'b.html'] },
    { name: 'of equal times the greater name',
      looks: [[0, [file('a.html', 5, 100), file('b.html', 5, 100)]], [300, null]], want: [null, 'b.html'] },
    { name: 'a save that settles later wins over an older time',
      looks: [[0, [file('a.html', 5, 500)]], [300, null], [1000, [file('a.html', 5, 500), file('c.html', 9, 50)]],
              [1300, null]],
      want: [null, 'a.html', null, 'c.html'] },
    { name: 'a growing save is shown only once it has held',
      looks: [[0, []], [100, [file('n.html', 1, 10)]], [350, [file('n.html', 4, 20)]], [600, [file('n.html', 9, 30)]],
              [800, null], [900, null]],
      want: [null, null, null, null, null, 'n.html'] },
    { name: 'zero bytes and partial downloads never',
      looks: [[0, [file('z.html', 0, 10), file('p.html.crdownload', 9, 10), file('q.html.part', 9, 10)]],
              [300, null], [2000, null]],
      want: [null, null, null] },
    { name: 'a removal changes nothing',
      looks: [[0, [file('a.html', 5, 1), file('b.html', 5, 2)]], [300, null], [1300, [file('a.html', 5, 1)]],
              [2300, null]],
      want: [null, 'b.html', null, null] },
    { name: 'the report on screen saved again is shown again',
      looks: [[0, [file('a.html', 5, 1)]], [300, null], [1300, [file('a.html', 7, 2)]], [1600, null]],
      want: [null, 'a.html', null, 'a.html'] },
    { name: 'two saves settling at one look: the later time',
      looks: [[0, []], [1000, [file('x.html', 5, 30), file('y.html', 5, 20)]], [1300, null]],
      want: [null, null, 'x.html'] },
  ];
  for (const row of rows) {
    const settler = new logic.FolderSettler();
    let listing = [];
    const shown = row.looks.map(([now, next]) => {
      if (next !== null) listing = next;
      const look = settler.look(listing, now);
      return look.show === null ? null : look.show.name;
    });
    assert.deepStrictEqual(shown, row.want, row.name);
  }
});

test('the settler asks to look again when an awaited save would have held', () => {
  const settler = new logic.FolderSettler();
  assert.strictEqual(settler.look([file('a.html', 5, 1)], 1000).wakeIn, 300);
  assert.strictEqual(settler.look([file('a.html', 5, 1)], 1100).wakeIn, 200);
  assert.strictEqual(settler.look([file('a.html', 5, 1)], 1300).wakeIn, 0);
});

/// A directory handle as the File System Access API gives it, over a mutable map.
class FakeDirectory {
  constructor(name) {
    this.name = name;
    this.files = new Map();  // name -> { size, lastModified } or 'folder'
    this.readable = true;
  }

  async *entries() {
    if (!this.readable) throw new Error('NotFoundError');
    for (const [name, value] of this.files) {
      if (value === 'folder') {
        yield [name, { kind: 'directory', name }];
        continue;
      }
      const files = this.files;
      yield [name, {
        kind: 'file',
        name,
        async getFile() {
          const now = files.get(name);
          if (!now) throw new Error('NotFoundError');
          return { name, size: now.size, lastModified: now.lastModified };
        },
      }];
    }
  }
}

/// Timers that run when the test says.
class FakeClock {
  constructor() {
    this.now = 0;
    this.pending = [];
  }

  setTimeout(callback, delay) {
    const timer = { at: this.now + delay, callback };
    this.pending.push(timer);
    return timer;
  }

  clearTimeout(timer) {
    this.pending = this.pending.filter((t) => t !== timer);
  }

  /// Runs every timer due up to `until`, in order, letting each look finish.
  async runUntil(until) {
    for (;;) {
      this.pending.sort((a, b) => a.at - b.at);
      const timer = this.pending[0];
      if (!timer || timer.at > until) break;
      this.pending.shift();
      this.now = timer.at;
      await timer.callback();
    }
    this.now = until;
  }
}

function watchOf(directory, clock) {
  const events = [];
  const watch = new logic.FolderWatch(directory, {
    onReport: (f) => events.push(`report ${f.name} ${f.size}`),
    onEmpty: () => events.push('empty'),
    now: () => clock.now,
    timers: clock,
  });
  return { watch, events };
}

test('watching a folder handle: the hint, the first report, later saves, polling', async () => {
  const clock = new FakeClock();
  const directory = new FakeDirectory('Letöltések');
  directory.files.set('old.html', { size: 100, lastModified: 1 });
  directory.files.set('sub.html', 'folder');
  const { watch, events } = watchOf(directory, clock);
  assert.strictEqual(watch.hint, 'Figyelt mappa: Letöltések');

  await watch.start();
  assert.deepStrictEqual(events, []);
  assert.strictEqual(clock.pending[0].at, 300, 'the next look as soon as the report has held');
  await clock.runUntil(300);
  assert.deepStrictEqual(events, ['report old.html 100']);
  assert.strictEqual(clock.pending[0].at, 1300, 'then about once a second');

  directory.files.set('new.html.crdownload', { size: 50, lastModified: 2 });
  await clock.runUntil(5000);
  assert.deepStrictEqual(events, ['report old.html 100'], 'a partial download is not shown');
  directory.files.delete('new.html.crdownload');
  directory.files.set('new.html', { size: 60, lastModified: 3 });
  await clock.runUntil(5300);
  assert.deepStrictEqual(events, ['report old.html 100'], 'seen once, not yet held');
  await clock.runUntil(5600);
  assert.deepStrictEqual(events, ['report old.html 100', 'report new.html 60']);

  directory.readable = false;
  await clock.runUntil(9000);
  assert.strictEqual(events.length, 2, 'an unreadable folder leaves the screen as it is');
  assert.ok(clock.pending.length === 1, 'and is looked at again');

  watch.stop();
  assert.deepStrictEqual(clock.pending, [], 'stopping cancels the next look');
  directory.readable = true;
  directory.files.set('late.html', { size: 7, lastModified: 9 });
  await clock.runUntil(20000);
  assert.strictEqual(events.length, 2, 'nothing after stopping');
});

test('watching an empty folder says so once', async () => {
  const clock = new FakeClock();
  const directory = new FakeDirectory('üres');
  directory.files.set('zero.html', { size: 0, lastModified: 1 });
  const { watch, events } = watchOf(directory, clock);
  await watch.start();
  await clock.runUntil(3000);
  assert.deepStrictEqual(events, ['empty']);
  directory.files.set('first.htm', { size: 3, lastModified: 2 });
  await clock.runUntil(4300);
  assert.deepStrictEqual(events, ['empty', 'report first.htm 3']);
  watch.stop();
});
