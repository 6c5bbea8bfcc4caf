# The Windows programs, cross-built with MinGW-w64, and their tests under Wine.
#   make windows             talvorix.exe, talvorix-cli.exe, talvorix-send.exe in build-windows/
#   make check-windows       the end-to-end tests of the dialog under Wine and Xvfb
#                            (WINDOWS_TESTS="NAME..." runs only the tests named)
#   make screenshot-windows  build-windows/screenshot.png of the dialog after a load (and
#                            screenshot-150.png of it at 150 %), and screenshot-watch.png
#                            of it watching a folder

WINDOWS_BUILD ?= build-windows
WINDOWS_TESTS ?=
WINDOWS_PACKAGES := g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 python3
WINE_PACKAGES := wine wine64 xvfb fonts-wine

.PHONY: windows check-windows screenshot-windows clean-windows

windows:
	@cmake/install-deps.sh $(WINDOWS_PACKAGES)
	cmake --preset windows -B $(WINDOWS_BUILD) $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

check-windows: windows
	@cmake/install-deps.sh $(WINE_PACKAGES)
	python3 packaging/test/check_pe.py $$(sed -n 's/.*TALVORIX_VERSION_STRING "\(.*\)".*/\1/p' \
	  $(WINDOWS_BUILD)/generated/core/version.h) $(WINDOWS_BUILD)/dialog/win32/talvorix.exe \
	  $(WINDOWS_BUILD)/cli/talvorix-cli.exe $(WINDOWS_BUILD)/cli/talvorix-send.exe
	tests/dialog/win32/run.sh $(WINDOWS_BUILD) $(WINDOWS_TESTS)

screenshot-windows: windows
	@cmake/install-deps.sh $(WINE_PACKAGES) imagemagick
	tests/dialog/win32/run.sh --screenshot $(WINDOWS_BUILD)/screenshot.png $(WINDOWS_BUILD)
	# The same at 150 % display scaling (144 DPI).
	TALVORIX_SCREENSHOT_DPI=144 tests/dialog/win32/run.sh --screenshot $(WINDOWS_BUILD)/screenshot-150.png $(WINDOWS_BUILD)
	# The dialog watching a download folder into which a sample was just saved.
	rm -rf $(WINDOWS_BUILD)/screenshot-watch && mkdir -p $(WINDOWS_BUILD)/screenshot-watch/Letoltesek
	cp examples/fordulo-112.html $(WINDOWS_BUILD)/screenshot-watch/Letoltesek/
	TALVORIX_SCREENSHOT_SUBJECT=$(WINDOWS_BUILD)/screenshot-watch/Letoltesek \
	  tests/dialog/win32/run.sh --screenshot $(WINDOWS_BUILD)/screenshot-watch.png $(WINDOWS_BUILD)

clean-windows:
	rm -rf $(WINDOWS_BUILD)

# The end-to-end tests join `make check` wherever Wine is installed.
ifneq ($(shell command -v wine),)
EXTRA_CHECKS += check-windows
endif
