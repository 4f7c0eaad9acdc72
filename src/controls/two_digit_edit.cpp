#include "controls/two_digit_edit.h"

#include <QRegularExpressionValidator>

TTwoDigitEdit::TTwoDigitEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(2);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), this));
    // 16 x 13 pixels leave no room for a frame or margins.
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignCenter);
    setText(QStringLiteral("0"));
    // textChanged is emitted synchronously for typed and coded changes alike,
    // and not at all when the text stays the same.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

int TTwoDigitEdit::Value() const { return text().trimmed().toInt(); }
