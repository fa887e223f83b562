// The one QApplication of a test program, made on first use. Tests run
// headless: ctest sets QT_QPA_PLATFORM=offscreen, and so does this when the
// program is started by hand without it.
#pragma once

#include <QApplication>

namespace htmlimglist::test {

inline QApplication& QtTestApp() {
    static int argc = 1;
    static char name[] = "htmlimglist-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace htmlimglist::test
