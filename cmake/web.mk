# The page: `make web` builds build-web/talvorix.html (the engine as WebAssembly with
# Emscripten, preset `web`); `make check-web` checks the engine against talvorix-cli,
# the page's logic under Node's test runner, and the page in a real headless Chromium.
# Debian's emcc finds its JavaScript optimiser only with NODE_PATH=/usr/share/nodejs,
# which the preset sets.

WEB_PYTHON ?= /usr/bin/python3

.PHONY: web check-web bench-web extension check-extension

web:
	@cmake/install-deps.sh emscripten nodejs
	cmake --preset web $(CMAKE_FLAGS)
	cmake --build --preset web -j $(JOBS)

check-web: build web
	@cmake/install-deps.sh chromium python3-websocket
	TALVORIX_ENGINE=build-web/web/talvorix-engine.js TALVORIX_CLI=build/cli/talvorix-cli node --test web/tests/
	$(WEB_PYTHON) web/tests/browser_test.py build-web/talvorix.html build/cli/talvorix-cli
	@size=$$(stat -c %s build-web/talvorix.html); echo "talvorix.html: $$size bytes (budget 614400)"; \
	  test $$size -le 614400

# The riddle-dense 100 MB archive in Node and in Chromium next to the native CLI (bench/README.md).
bench-web: web
	@cmake/install-deps.sh chromium python3-websocket libbenchmark-dev time
	cmake --preset bench $(CMAKE_FLAGS)
	cmake --build --preset bench -j $(JOBS)
	web/bench.sh build-bench build-web

# The browser extension (web/extension/, see README's Browser extension and docs/building.md):
# build-web/talvorix-extension/ unpacked and build-web/talvorix-extension.zip.
extension: web
	@cmake/install-deps.sh librsvg2-bin zip
	cmake --build --preset web -j $(JOBS) --target talvorix_extension

# web-ext lint (the npm package pinned in web/extension/package-lock.json), the
# extension's logic under Node's test runner, and the extension in headless Chromium
# against talvorix-cli (about a minute in all).
check-extension: build extension
	@cmake/install-deps.sh chromium python3-websocket
	@# npm comes with some builds of nodejs (which then conflict with Debian's npm package).
	@command -v npm >/dev/null || cmake/install-deps.sh npm
	cd web/extension && npm ci --no-audit --no-fund --loglevel=error
	node web/extension/lint.js build-web/talvorix-extension
	node --test web/extension/tests/
	$(WEB_PYTHON) web/extension/tests/extension_test.py build-web/talvorix-extension build/cli/talvorix-cli
