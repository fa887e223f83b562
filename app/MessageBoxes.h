// The window's modal message boxes with an OK button, behind an interface so
// that tests can record them instead of waiting for a click.
#pragma once

#include <QString>

class QWidget;

namespace htmlimglist {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows text modally over parent and returns once it has been closed.
    virtual void Show(QWidget* parent, const QString& text) = 0;
};

class ModalMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text) override;
};

}  // namespace htmlimglist
