// web-ext lint over the built extension: any error, notice or warning fails, except
// Firefox's note that it ignores the service worker (it runs the manifest's background
// scripts instead; Chromium runs the service worker: one manifest for both).
// Usage: node lint.js EXTENSION_DIR   (web-ext from this folder's node_modules: npm ci)
'use strict';

const childProcess = require('child_process');
const path = require('path');

const kExpected = new Set(['BACKGROUND_SERVICE_WORKER_IGNORED']);
const [source] = process.argv.slice(2);
if (!source) {
  console.error('usage: node lint.js EXTENSION_DIR');
  process.exit(64);
}
const webExt = path.join(__dirname, 'node_modules', '.bin', 'web-ext');
const run = childProcess.spawnSync(webExt, ['lint', '--source-dir', source, '--output', 'json', '--no-input'], {
  encoding: 'utf8',
});
let report = null;
try {
  report = JSON.parse(run.stdout);
} catch {
  console.error(`lint.js: web-ext gave no report (run npm ci in ${__dirname})\n${run.stderr}`);
  process.exit(1);
}
const findings = [...report.errors, ...report.notices, ...report.warnings];
const unexpected = findings.filter((finding) => !kExpected.has(finding.code));
for (const finding of findings) {
  const mark = kExpected.has(finding.code) ? 'expected' : 'FAILED';
  console.log(`${mark}: ${finding.code} ${finding.file || ''}: ${finding.message}`);
}
console.log(`web-ext lint: ${report.summary.errors} errors, ${report.summary.notices} notices, ` +
  `${report.summary.warnings} warnings (${findings.length - unexpected.length} expected)`);
process.exit(unexpected.length === 0 ? 0 : 1);
