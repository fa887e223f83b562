// Whether the captions of a form show whole: every label's text by
// TextFits, and every button's and check box's text inside the part of
// the control the style draws it in. Names the ones that do not.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>

#include <string>
#include <vector>

#include "widgets/FitText.h"

namespace htmlimglist::test {

inline bool ButtonCaptionFits(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const bool checkBox = qobject_cast<const QCheckBox*>(&button) != nullptr;
    const QRect contents =
        button.style()->subElementRect(checkBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                                       &option, &button);
    QString shown = button.text();
    shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const int needed = button.fontMetrics().horizontalAdvance(shown);
    // A check box's text starts at the left of its part; a button's is
    // centred in it.
    const int room = checkBox ? button.width() - contents.left() : contents.width();
    return needed <= room;
}

// The captions of form's labels, buttons and check boxes that do not show
// whole, each as "caption (control width)".
inline std::vector<std::string> CutCaptions(const QWidget& form) {
    std::vector<std::string> cut;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
        QString caption;
        bool fits = true;
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            caption = label->text();
            fits = caption.isEmpty() || TextFits(*label, label->font());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            caption = button->text();
            fits = ButtonCaptionFits(*button);
        }
        if (!fits) cut.push_back(caption.toStdString() + " (" + std::to_string(control->width()) + ")");
    }
    return cut;
}

}  // namespace htmlimglist::test
