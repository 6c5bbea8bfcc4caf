# Pages saved by a real browser: `make check-browser` saves every sample report and every
# report in tests/scanner/saved_pages/originals/ afresh with the installed Chromium (in
# four forms: as saved, Windows-1250, UTF-8 with a byte order mark, UTF-16LE; and as
# single files, MHTML, in five forms) into build/saved-pages/, checks that each is
# answered as the report the game sent, and says whether this Chromium saves them as the
# kept pages in tests/scanner/saved_pages/saved/ (which `make check` checks in any case;
# single files always differ, in their date and boundary). To keep the new ones:
#   tests/scanner/saved_pages/make_saved_pages.sh tests/scanner/saved_pages/saved

BROWSER_PAGES ?= build/saved-pages

.PHONY: check-browser

check-browser: build
	@cmake/install-deps.sh chromium python3-websocket
	rm -rf $(BROWSER_PAGES)
	tests/scanner/saved_pages/make_saved_pages.sh $(BROWSER_PAGES)
	TALVORIX_SAVED_PAGES="$(CURDIR)/$(BROWSER_PAGES)" ./build/tests/scanner_test --gtest_filter='BrowserPages.*'
	@if diff -rq tests/scanner/saved_pages/saved $(BROWSER_PAGES) >/dev/null; then \
	  echo "check-browser: this Chromium saves the pages exactly as the kept ones"; \
	else \
	  echo "check-browser: this Chromium saves the pages differently from the kept ones (both are answered alike):"; \
	  diff -rq tests/scanner/saved_pages/saved $(BROWSER_PAGES) || true; \
	fi
