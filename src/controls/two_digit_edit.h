#pragma once
// TTwoDigitEdit: the strips' small read-out, a field holding 0..99 as text
// that the user can type into (digits only, at most two). Every change of
// its text, typed or set from code, runs OnChange at once, inside the call
// that changed it; setting the text it already has runs nothing.

#include "controls/events.h"

#include <QLineEdit>

class TTwoDigitEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    explicit TTwoDigitEdit(QWidget* parent = nullptr);

    // The text as a number: 0 when empty or not a number.
    int Value() const;

    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    TNotifyEvent<TTwoDigitEdit> OnChange;

private:
    int tag_ = 0;
};
