// The application object: it installs the window's language (UiLanguage.h)
// as it starts, and an error that escapes a command handler is shown in an
// error box and the program goes on.
#pragma once

#include <QApplication>
#include <QCoreApplication>

namespace htmlimglist {

class TApplication : public QApplication {
    Q_DECLARE_TR_FUNCTIONS(TApplication)

public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace htmlimglist
