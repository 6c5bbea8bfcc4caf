// Makes talvorix.html, one self-contained file: the template with the style, the
// engine (its WebAssembly inlined), the page's logic and its script put in, and site/,
// the same page with its manifest, service worker and icon for a static host.
// Usage: node build_page.js ENGINE_JS VERSION OUT_DIR
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const [enginePath, version, outDir] = process.argv.slice(2);
if (!enginePath || !version || !outDir) {
  console.error('usage: node build_page.js ENGINE_JS VERSION OUT_DIR');
  process.exit(64);
}
const source = (name) => fs.readFileSync(path.join(__dirname, name), 'utf8');

/// A script's text made safe inside <script>: no "</script" can end it early.
function scriptText(text) {
  return text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');
}

const pieces = {
  VERSION: version,
  STYLE: source('page.css'),
  ENGINE: scriptText(fs.readFileSync(enginePath, 'utf8') + '\n' + source('engine.js')),
  LOGIC: scriptText(source('page_logic.js')),
  PAGE: scriptText(source('page.js')),
};
// A function as the replacement, so that "$" in the pieces is taken literally.
const page = source('talvorix.html.in').replace(/@([A-Z]+)@/g, (whole, name) =>
  Object.prototype.hasOwnProperty.call(pieces, name) ? pieces[name] : whole,
);

function write(file, text) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, text);
}

write(path.join(outDir, 'talvorix.html'), page);
// The service worker's cache is named after the page's contents: a new page replaces
// the cached one on the next visit.
const digest = crypto.createHash('sha256').update(page).digest('hex').slice(0, 16);
const site = path.join(outDir, 'site');
write(path.join(site, 'index.html'), page);
write(path.join(site, 'talvorix.html'), page);
write(path.join(site, 'sw.js'), source('sw.js').replace('@CACHE@', `talvorix-${version}-${digest}`));
write(path.join(site, 'manifest.webmanifest'), source('manifest.webmanifest'));
write(path.join(site, 'icon.svg'), source('icon.svg'));
