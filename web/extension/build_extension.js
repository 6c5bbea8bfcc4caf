// Makes the browser extension: OUT_DIR/talvorix-extension/ (unpacked, to load in a
// browser) and OUT_DIR/talvorix-extension.zip (for the stores). The engine and the
// page's logic are the page's own files (web/), the icons are rendered from
// web/icon.svg with rsvg-convert, and the zip is made with zip.
// Usage: node build_extension.js ENGINE_JS VERSION OUT_DIR
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const [enginePath, version, outDir] = process.argv.slice(2);
if (!enginePath || !version || !outDir) {
  console.error('usage: node build_extension.js ENGINE_JS VERSION OUT_DIR');
  process.exit(64);
}
const here = __dirname;
const web = path.join(here, '..');
const out = path.join(outDir, 'talvorix-extension');
const zipPath = path.join(outDir, 'talvorix-extension.zip');
const read = (file) => fs.readFileSync(file, 'utf8');

function write(name, text) {
  const file = path.join(out, name);
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, text);
}

function run(program, args, options = {}) {
  const result = childProcess.spawnSync(program, args, { stdio: 'inherit', ...options });
  if (result.status !== 0) {
    console.error(`build_extension.js: ${program} failed${result.error ? `: ${result.error.message}` : ''}`);
    process.exit(1);
  }
}

fs.rmSync(out, { recursive: true, force: true });
fs.rmSync(zipPath, { force: true });

// The engine and the page's logic, unchanged: the popup and the panel run what the page runs.
write('talvorix-engine.js', read(enginePath));
for (const name of ['engine.js', 'page_logic.js', 'page.css']) write(name, read(path.join(web, name)));
for (const name of ['extension_logic.js', 'view.js', 'panel.js', 'popup.js', 'popup.css', 'background.js'])
  write(name, read(path.join(here, name)));
for (const locale of fs.readdirSync(path.join(here, '_locales'))) {
  const name = path.join('_locales', locale, 'messages.json');
  JSON.parse(read(path.join(here, name)));  // a broken catalogue fails here, not in a browser
  write(name, read(path.join(here, name)));
}

// The dialog's controls, one markup for the popup and the panel.
const controls = read(path.join(here, 'controls.html')).trimEnd();
const fill = (text) => text.replace('@CONTROLS@', () => controls);
write('popup.html', fill(read(path.join(here, 'popup.html'))));
const parts = {
  style: read(path.join(web, 'page.css')) + '\n' + read(path.join(here, 'panel.css')),
  panel: fill(read(path.join(here, 'panel.html'))),
};
write('panel_parts.js',
  '// The panel\'s style and markup (made from page.css, panel.css, panel.html and controls.html).\n' +
  `globalThis.TalvorixPanelParts = ${JSON.stringify(parts, null, 1)};\n`);

const manifest = JSON.parse(read(path.join(here, 'manifest.json')));
manifest.version = version;
write('manifest.json', JSON.stringify(manifest, null, 2) + '\n');

fs.mkdirSync(path.join(out, 'icons'), { recursive: true });
for (const size of [16, 32, 48, 128]) {
  run('rsvg-convert', ['-w', String(size), '-h', String(size), '-o',
    path.join(out, 'icons', `icon-${size}.png`), path.join(web, 'icon.svg')]);
}

// Stored paths relative to the extension's root, no extra attributes: what the stores take.
run('zip', ['-q', '-X', '-r', path.resolve(zipPath), '.'], { cwd: out });
