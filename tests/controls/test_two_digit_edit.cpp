// The read-out: a text change runs its handler synchronously, for typed and
// coded changes alike; the same text runs nothing; only two digits go in.

#include "controls/two_digit_edit.h"
#include "support/test_main.h"

#include <QtTest>

class TestTwoDigitEdit : public QObject {
    Q_OBJECT
private slots:
    void codedChangeRunsHandlerInsideTheCall();
    void sameTextRunsNothing();
    void typingDigitsRunsHandlerPerKey();
    void onlyTwoDigitsCanBeTyped();
    void handlerRewritingTextSettles();
    void valueReadsTheText_data();
    void valueReadsTheText();
};

void TestTwoDigitEdit::codedChangeRunsHandlerInsideTheCall() {
    TTwoDigitEdit edit;
    edit.setObjectName(QStringLiteral("MaskEdit1"));
    QStringList seen;
    edit.OnChange = [&](TTwoDigitEdit* sender) { seen << sender->objectName() + ":" + sender->text(); };
    edit.setText(QStringLiteral("45"));
    // Checked right after the call, with no event processing in between.
    QCOMPARE(seen, QStringList{"MaskEdit1:45"});
    edit.clear();
    QCOMPARE(seen, (QStringList{"MaskEdit1:45", "MaskEdit1:"}));
}

void TestTwoDigitEdit::sameTextRunsNothing() {
    TTwoDigitEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("0"));
    int runs = 0;
    edit.OnChange = [&](TTwoDigitEdit*) { ++runs; };
    edit.setText(QStringLiteral("0"));
    QCOMPARE(runs, 0);
    edit.setText(QStringLiteral("99"));
    edit.setText(QStringLiteral("99"));
    QCOMPARE(runs, 1);
}

void TestTwoDigitEdit::typingDigitsRunsHandlerPerKey() {
    TTwoDigitEdit edit;
    edit.clear();
    QStringList seen;
    edit.OnChange = [&](TTwoDigitEdit* sender) { seen << sender->text(); };
    QTest::keyClicks(&edit, QStringLiteral("42"));
    QCOMPARE(seen, (QStringList{"4", "42"}));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("4"));
    QCOMPARE(seen.last(), QStringLiteral("4"));
}

void TestTwoDigitEdit::onlyTwoDigitsCanBeTyped() {
    TTwoDigitEdit edit;
    edit.clear();
    int runs = 0;
    edit.OnChange = [&](TTwoDigitEdit*) { ++runs; };
    QTest::keyClicks(&edit, QStringLiteral("a-7 x"));
    QCOMPARE(edit.text(), QStringLiteral("7"));
    QTest::keyClicks(&edit, QStringLiteral("85"));
    QCOMPARE(edit.text(), QStringLiteral("78"));
    QCOMPARE(runs, 2);
    // Select-all then a digit replaces the value.
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_3);
    QCOMPARE(edit.text(), QStringLiteral("3"));
}

void TestTwoDigitEdit::handlerRewritingTextSettles() {
    // As a strip's write routine does: an emptied read-out is set to "0"
    // from inside its own change handler.
    TTwoDigitEdit edit;
    edit.setText(QStringLiteral("5"));
    QStringList seen;
    edit.OnChange = [&](TTwoDigitEdit* sender) {
        seen << sender->text();
        if (sender->text().trimmed().isEmpty()) sender->setText(QStringLiteral("0"));
    };
    edit.setCursorPosition(1);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(seen, (QStringList{"", "0"}));
    QCOMPARE(edit.text(), QStringLiteral("0"));
    // The user can go on typing after the rewrite.
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("12"));
    QCOMPARE(edit.text(), QStringLiteral("12"));
}

void TestTwoDigitEdit::valueReadsTheText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("one digit") << "7" << 7;
    QTest::newRow("leading zero") << "07" << 7;
    QTest::newRow("top") << "99" << 99;
}

void TestTwoDigitEdit::valueReadsTheText() {
    QFETCH(QString, text);
    QFETCH(int, value);
    TTwoDigitEdit edit;
    edit.setText(text);
    QCOMPARE(edit.Value(), value);
}

TAVLO_TEST_MAIN(TestTwoDigitEdit)
#include "test_two_digit_edit.moc"
