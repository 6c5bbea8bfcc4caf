// Times the WebAssembly engine on one report under Node: reading the file, the scan, and
// every record fetched in UTF-8 (as talvorix-cli --json writes them all). Prints the best
// of RUNS runs, the record count and the engine's memory.
// Usage: node bench_node.js ENGINE_JS REPORT [RUNS]
'use strict';

const fs = require('fs');
const path = require('path');
const { createEngine } = require('./engine.js');

async function main() {
  const [enginePath, report, runs = '3'] = process.argv.slice(2);
  if (!enginePath || !report) {
    console.error('usage: node bench_node.js ENGINE_JS REPORT [RUNS]');
    process.exit(64);
  }
  const factory = require(path.resolve(enginePath));
  let best = Infinity;
  let count = 0;
  let memory = 0;
  for (let run = 0; run < Number(runs); ++run) {
    // A fresh engine per run, as a fresh page would have.
    const engine = await createEngine(factory);
    const start = process.hrtime.bigint();
    const bytes = fs.readFileSync(report);  // a Uint8Array of its own
    count = engine.scan(bytes);
    let characters = 0;
    // A few thousand records at a time, as a page would show a list of them.
    for (let first = 1; first <= count; first += 4096)
      for (const record of engine.records(first, Math.min(count, first + 4095)))
        characters += record.text.length + record.answer.length + record.title.length;
    const ms = Number(process.hrtime.bigint() - start) / 1e6;
    best = Math.min(best, ms);
    memory = engine.module_.HEAPU8.length;
    if (characters === 0 && count > 0) throw new Error('no text');
  }
  console.log(`${path.basename(report)}: ${count} records, best of ${runs}: ${best.toFixed(0)} ms, ` +
              `WebAssembly memory ${(memory / 1048576).toFixed(0)} MiB`);
}

main();
