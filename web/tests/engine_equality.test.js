// The WebAssembly engine against talvorix-cli --json: every report of the samples, the
// saved pages and the fuzz inputs gives the same count and the same records, byte for
// byte. Needs TALVORIX_ENGINE (build-web/web/talvorix-engine.js) and TALVORIX_CLI (a
// native talvorix-cli); `make check-web` sets both.
'use strict';

const assert = require('node:assert');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');

const { createEngine } = require('../engine.js');

const root = path.join(__dirname, '..', '..');
const kFolders = ['examples', 'tests/scanner/saved_pages', 'fuzz/corpus', 'fuzz/regressions'];

function filesUnder(folder) {
  const found = [];
  for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) found.push(...filesUnder(full));
    else if (entry.isFile()) found.push(full);
  }
  return found.sort();
}

const enginePath = process.env.TALVORIX_ENGINE;
const cliPath = process.env.TALVORIX_CLI;
const skip = !enginePath || !cliPath ? 'TALVORIX_ENGINE and TALVORIX_CLI are not set' : false;

test('the engine in WebAssembly reads every report as talvorix-cli does', { skip }, async () => {
  const files = kFolders.flatMap((folder) => filesUnder(path.join(root, folder)));
  assert.ok(files.length > 100, `only ${files.length} files found`);
  const engine = await createEngine(require(path.resolve(enginePath)));

  // One run of the CLI for all files: one JSON line per report, in order. It exits 2
  // when a report cannot be read; its lines are still the answer.
  let output = '';
  try {
    output = execFileSync(cliPath, ['--json', '--', ...files], { encoding: 'utf8', maxBuffer: 1 << 28 });
  } catch (error) {
    if (error.status !== 2) throw error;
    output = error.stdout;
  }
  const lines = output.split('\n').filter((line) => line !== '');
  assert.strictEqual(lines.length, files.length);

  let records = 0;
  files.forEach((file, i) => {
    const want = JSON.parse(lines[i]);
    const name = path.relative(root, file);
    const count = engine.scan(new Uint8Array(fs.readFileSync(file)));
    assert.strictEqual(count, want.count, `${name}: count`);
    const got = [];
    for (let k = 1; k <= count; ++k) {
      const { text, answer, title } = engine.record(k);
      got.push({ text, answer, title });
    }
    // The CLI's records carry "kind" and "solved" as well; the page reads the three fields.
    const wantFields = (want.records ?? []).map(({ text, answer, title }) => ({ text, answer, title }));
    assert.deepStrictEqual(got, wantFields, `${name}: records`);
    // All records at once (a batch cut wherever it falls) are the records one by one.
    const single = [];
    for (let k = 1; k <= count; ++k) single.push(engine.record(k));
    assert.deepStrictEqual(engine.records(1, count), single, `${name}: records at once`);
    records += count;
  });
  assert.ok(records > 0, 'no report gave a record');
});
