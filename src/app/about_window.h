#pragma once
// The About window (Form5): the version text in a small dialog. Each use of
// the menu item makes a new one, which deletes itself when closed.

#include <QWidget>

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(const QString& versionText);

signals:
    void shown();
    void hidden();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
