# The Qt 6 Widgets dialog for Linux: `make qt` builds it in build-qt/, `make check-qt`
# runs all of build-qt's tests (the Qt ones on the offscreen platform), and
# `make screenshot-qt` saves a picture of the real window under Xvfb.

QT_PACKAGES := qt6-base-dev xvfb xauth x11-apps imagemagick
QT_SAMPLE ?= examples/fordulo-112.html

.PHONY: qt check-qt screenshot-qt bench-qt

qt: deps
	@cmake/install-deps.sh $(QT_PACKAGES)
	cmake -S . -B build-qt -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVORIX_QT=ON $(CMAKE_FLAGS)
	cmake --build build-qt -j $(JOBS)

check-qt: qt
	QT_QPA_PLATFORM=offscreen ctest --test-dir build-qt --output-on-failure -j $(JOBS)

screenshot-qt: qt
	shell/qt/screenshot.sh build-qt/shell/qt/talvorix $(QT_SAMPLE) build-qt/screenshot-qt.png

bench-qt: qt
	bench/qt_startup.sh build-qt/shell/qt/talvorix $(QT_SAMPLE)

EXTRA_CHECKS += check-qt
