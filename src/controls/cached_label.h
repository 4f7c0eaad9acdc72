#pragma once
// TCachedLabel: a label whose texts are laid out once. A read-out that
// changes many times a second among a few values (a meter's level) would
// otherwise shape its text on every repaint; this one keeps a picture of
// each text it has shown and copies it.

#include <QHash>
#include <QLabel>
#include <QPixmap>

class TCachedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Texts kept at most; past it the cache starts over.
    static constexpr int kMaxTexts = 32;
    int cachedTexts() const { return static_cast<int>(cache_.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QHash<QString, QPixmap> cache_;
    Qt::Alignment cachedAlignment_;
};
