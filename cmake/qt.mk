# The Qt 6 Widgets dialog for Linux: `make qt` builds it in build-qt/, `make check-qt`
# runs all of build-qt's tests (the Qt ones on the offscreen platform), and
# `make screenshot-qt` saves a picture of the real window under Xvfb.

QT_PACKAGES := qt6-base-dev qt6-translations-l10n xvfb xauth x11-apps imagemagick
QT_SAMPLE ?= examples/fordulo-112.html

.PHONY: qt check-qt screenshot-qt bench-qt

qt: deps
	@cmake/install-deps.sh $(QT_PACKAGES)
	cmake --preset qt $(CMAKE_FLAGS)
	cmake --build --preset qt -j $(JOBS)

check-qt: qt
	ctest --preset qt -j $(JOBS)

screenshot-qt: qt
	dialog/qt/screenshot.sh build-qt/dialog/qt/talvorix $(QT_SAMPLE) build-qt/screenshot-qt.png
	# The dialog watching a download folder into which the sample was just saved.
	rm -rf build-qt/screenshot-watch && mkdir -p build-qt/screenshot-watch/Letöltések
	cp $(QT_SAMPLE) build-qt/screenshot-watch/Letöltések/
	dialog/qt/screenshot.sh build-qt/dialog/qt/talvorix build-qt/screenshot-watch/Letöltések \
	  build-qt/screenshot-qt-watch.png

bench-qt: qt
	bench/qt_startup.sh build-qt/dialog/qt/talvorix $(QT_SAMPLE)

EXTRA_CHECKS += check-qt
