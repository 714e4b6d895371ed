#include "texttokens.h"

#include <QtTest>

class TestTextTokens : public QObject
{
    Q_OBJECT

private slots:
    void stripComment_data();
    void stripComment();
    void isBlank_data();
    void isBlank();
    void takeToken_data();
    void takeToken();
    void takeToken_successiveCallsWalkTheLine();
};

void TestTextTokens::stripComment_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no hash") << "Target app.exe"
                             << "Target app.exe";
    QTest::newRow("starts with hash") << "# all comment"
                                      << "";
    QTest::newRow("two hashes cut at first") << "a # b # c"
                                             << "a ";
    QTest::newRow("hash inside quotes cuts too") << "k \"x#y\""
                                                 << "k \"x";
    QTest::newRow("empty") << ""
                           << "";
}

void TestTextTokens::stripComment()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::stripComment(text), expected);
}

void TestTextTokens::isBlank_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("blank");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("spaces and tabs") << " \t  \t" << true;
    QTest::newRow("spaces then comment") << "   # Target x y" << true;
    QTest::newRow("unicode space") << QString(QChar(0x3000)) << true;
    QTest::newRow("one visible char") << "x" << false;
    QTest::newRow("visible before comment") << " x # y" << false;
}

void TestTextTokens::isBlank()
{
    QFETCH(QString, text);
    QFETCH(bool, blank);
    QCOMPARE(::isBlank(text), blank);
}

void TestTextTokens::takeToken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest");
    QTest::newRow("only spaces") << "   "
                                 << ""
                                 << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    QTest::newRow("word then two spaces") << "  one  two"
                                          << "one"
                                          << "  two";
    QTest::newRow("last word") << "two"
                               << "two"
                               << "";
    QTest::newRow("quoted phrase") << " \"my app.exe\" dir"
                                   << "my app.exe"
                                   << " dir";
    QTest::newRow("word glued after quote") << "\"a b\"next"
                                            << "a b"
                                            << "next";
    QTest::newRow("two adjacent quotes") << "\"\" after"
                                         << ""
                                         << " after";
    QTest::newRow("unclosed quote keeps trailing blanks") << " \"open end  "
                                                          << "open end  "
                                                          << "";
    QTest::newRow("quote inside word") << "ab\"cd ef"
                                       << "ab\"cd"
                                       << " ef";
    QTest::newRow("tab separated") << "\tk\tv"
                                   << "k"
                                   << "\tv";
    QTest::newRow("japanese") << "実行.exe  ディレクトリ"
                              << "実行.exe"
                              << "  ディレクトリ";
}

void TestTextTokens::takeToken()
{
    QFETCH(QString, text);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    QString taken = QStringLiteral("stale");
    QCOMPARE(::takeToken(text, &taken), rest);
    QCOMPARE(taken, token);
}

void TestTextTokens::takeToken_successiveCallsWalkTheLine()
{
    QString token;
    QString rest = ::takeToken(QStringLiteral(" Target \"C:/my tools\"  app.exe # c"), &token);
    QCOMPARE(token, QStringLiteral("Target"));
    rest = ::takeToken(rest, &token);
    QCOMPARE(token, QStringLiteral("C:/my tools"));
    rest = ::takeToken(rest, &token);
    QCOMPARE(token, QStringLiteral("app.exe"));
    rest = ::takeToken(rest, &token);
    QCOMPARE(token, QStringLiteral("#"));
    rest = ::takeToken(rest, &token);
    QCOMPARE(token, QStringLiteral("c"));
    QVERIFY(rest.isEmpty());
}

QTEST_APPLESS_MAIN(TestTextTokens)
#include "tst_texttokens.moc"
