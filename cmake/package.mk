# Delivery for players (packaging/):
#   make package          build-package/talvorix_VERSION_amd64.deb (CPack, preset `package`)
#   make package-windows  build-package-win/talvorix-VERSION-win64.zip and the installer
#                         build-package-win/talvorix-VERSION-setup.exe (NSIS)
#   make check-package    both, then lintian, desktop-file-validate and appstreamcli on the
#                         .deb, the desktop entry's action, the install and removal test
#                         (installs the package on this machine: root or sudo), and the
#                         zip's and the installer's tests under Wine

PACKAGE_BUILD ?= build-package
PACKAGE_WINDOWS_BUILD ?= build-package-win
# CPack finds the programs with `file` and their library dependencies with dpkg-shlibdeps (dpkg-dev).
PACKAGE_DEB_PACKAGES := qt6-base-dev dpkg-dev file gettext
PACKAGE_WINDOWS_PACKAGES := g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nsis python3
PACKAGE_CHECK_PACKAGES := lintian desktop-file-utils appstream unzip python3 wine wine64 xvfb xauth

.PHONY: package package-windows check-package clean-package

# Both carry the page for the browser (make web).
PACKAGE_PAGE := -DTALVORIX_WEB_PAGE=$(CURDIR)/build-web/talvorix.html

package: deps web
	@cmake/install-deps.sh $(PACKAGE_DEB_PACKAGES)
	cmake --preset package $(PACKAGE_PAGE) $(CMAKE_FLAGS)
	cmake --build --preset package -j $(JOBS)
	cpack --preset package

# The windows preset's Release build, without the end-to-end test driver; a release
# build does not stop on a new warning (the checks build with -Werror).
package-windows: web
	@cmake/install-deps.sh $(PACKAGE_WINDOWS_PACKAGES)
	cmake --preset windows -B $(PACKAGE_WINDOWS_BUILD) -DTALVORIX_WIN32_E2E=OFF -DTALVORIX_WERROR=OFF $(PACKAGE_PAGE) $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_WINDOWS_BUILD) --target talvorix-zip talvorix-installer -j $(JOBS)

check-package: package package-windows
	@cmake/install-deps.sh $(PACKAGE_CHECK_PACKAGES)
	cmake --build $(PACKAGE_BUILD) --target talvorix-close-hook -j $(JOBS)
	cmake --build $(PACKAGE_WINDOWS_BUILD) --target talvorix-dialog-probe talvorix-shortcut-probe -j $(JOBS)
	packaging/validate.sh $(PACKAGE_BUILD)
	packaging/test-deb.sh $(PACKAGE_BUILD)
	packaging/test-zip.sh $(PACKAGE_WINDOWS_BUILD)
	packaging/test-installer.sh $(PACKAGE_WINDOWS_BUILD)

clean-package:
	rm -rf $(PACKAGE_BUILD) $(PACKAGE_WINDOWS_BUILD)
