#include "Exceptions.h"
#include "TestSupport.h"
#include "kvStrUtils.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>
#include <limits>
#include <quazip.h>

using namespace testing_support;

TEST(StringListEx, ReverseLookupAndNameValues) {
    TStringListEx l;
    l.SetText("a=b\r\nc=d\r\ne=b\r\n");
    EXPECT_EQ(l.IndexOfValue("b"), 0);
    EXPECT_EQ(l.IndexOfValue("B"), -1);  // values compare case-sensitively
    EXPECT_EQ(l.GetNameValues("d"), "c");
    EXPECT_EQ(l.GetNameValues("x"), "");
    EXPECT_EQ(TStringListEx().GetNameValues("b"), "");
    l.SetNameValues("d", "neu");
    EXPECT_EQ(l.Strings(1), "neu=d");
    l.SetNameValues("z", "y");
    EXPECT_EQ(l.Strings(3), "y=z");
    l.SetNameValues("", "leer");
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(TStringListEx("").Username, "TStringListEx");
    EXPECT_EQ(TStringListEx("Lehrer").Username, "Lehrer");
}

TEST(StringListEx, LeftRightTextAndAppend) {
    TStringListEx one;
    one.Add("a=b");
    EXPECT_EQ(one.LeftText("="), "a");
    EXPECT_EQ(one.RightText("="), "b\r\n");
    TStringListEx two;
    two.SetText("a=b\nc=d");
    EXPECT_EQ(two.RightText("="), "b\r\nc");
    EXPECT_EQ(two.LeftText("#"), "");
    EXPECT_EQ(two.RightText("#"), "");
    TStringList more;
    more.Add("x");
    two.Append(more);
    EXPECT_EQ(two.Text(), "a=b\r\nc=d\r\nx\r\n");
}

TEST(StringListEx, StreamRecordRoundTripsAndIsTrimmed) {
    TStringListEx l("  Benutzer ");
    l.Add("eins");
    l.Add(QString::fromUtf8("zwei=Grüße"));
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    l.WriteToStream(buf);
    const QByteArray bytes = buf.data();
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData()), 11);
    EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x20\x00\x20\x00", 4));
    buf.seek(0);
    TStringListEx back;
    back.ReadFromStream(buf);
    EXPECT_EQ(back.Username, "Benutzer");
    EXPECT_EQ(back.List(), l.List());
}

TEST(StreamString, ForgedCountsFailInsteadOfReadingPastTheEnd) {
    struct Case {
        const char* name;
        qint32 count;
        int payloadBytes;
    };
    const Case cases[] = {{"negative", -1, 10}, {"larger than the rest", 6, 10}, {"huge", 0x7FFFFFFF, 2}};
    for (const Case& c : cases) {
        QByteArray data(4, 0);
        qToLittleEndian<qint32>(c.count, data.data());
        data += QByteArray(c.payloadBytes, 'a');
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        EXPECT_THROW(ReadStreamString(buf), EReadError) << c.name;
        buf.seek(0);
        TStringListEx l;
        EXPECT_THROW(l.ReadFromStream(buf), EReadError) << c.name;
    }
    QByteArray three("\x01\x00", 2);
    QBuffer shortBuf(&three);
    shortBuf.open(QIODevice::ReadOnly);
    EXPECT_THROW(ReadStreamString(shortBuf), EReadError);
}

TEST(StreamString, MaximumLengthLeavesTheRestUnread) {
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    WriteStreamString(buf, "abcdef");
    buf.seek(0);
    EXPECT_EQ(ReadStreamString(buf, 4), "abcd");
    EXPECT_EQ(buf.pos(), 4 + 8);
    buf.seek(0);
    EXPECT_EQ(ReadStreamString(buf, 10), "abcdef");
}

TEST(StringListEx, ZipArchiveRoundTripPassesUnzipTest) {
    const QString zipPath = tempDir() + "/listen.zip";
    TStringListEx a, b;
    a.SetText(QString::fromUtf8("Klasse=5a\r\nLehrer=Müller\r\n"));
    b.SetText("x\r\ny\r\n");
    {
        QuaZip zip(zipPath);
        ASSERT_TRUE(zip.open(QuaZip::mdCreate));
        a.WriteToFile("/irgendwo/liste_a.txt", &zip);
        b.WriteToFile("liste_b.txt", &zip);
        zip.close();
        ASSERT_EQ(zip.getZipError(), 0);
    }
    QProcess unzip;
    unzip.start("unzip", {"-t", zipPath});
    ASSERT_TRUE(unzip.waitForFinished());
    EXPECT_EQ(unzip.exitCode(), 0) << unzip.readAllStandardOutput().toStdString();

    QuaZip zip(zipPath);
    ASSERT_TRUE(zip.open(QuaZip::mdUnzip));
    TStringListEx readA, readB, missing;
    missing.Add("bleibt");
    readA.ReadFromFile("C:/anders/liste_a.txt", &zip);
    readB.ReadFromFile("liste_b.txt", &zip);
    missing.ReadFromFile("fehlt.txt", &zip);
    EXPECT_EQ(readA.List(), a.List());
    EXPECT_EQ(readB.List(), b.List());
    EXPECT_EQ(missing.List(), QStringList{"bleibt"});
    EXPECT_THROW(readA.ReadFromFile(tempDir() + "/gibtsnicht.txt"), EInOutError);
}

TEST(Tokens, ExtractFirstNextAndGetField) {
    int pos = 1;
    EXPECT_EQ(ExtractToken("ab;cd", pos, ';'), "ab");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(ExtractToken("ab;cd", pos, ';'), "cd");
    EXPECT_EQ(pos, 7);
    EXPECT_EQ(ExtractToken("ab;cd", pos, ';'), "");
    EXPECT_EQ(pos, 7);
    EXPECT_EQ(FirstToken("3;64;120", ';'), "3");
    EXPECT_EQ(NextToken("3;64;120", ';'), "64");
    EXPECT_EQ(NextToken("3;64;120", ';'), "120");
    EXPECT_EQ(NextToken("3;64;120", ';'), "");

    struct Case {
        const char* text;
        const char* sep;
        int field;
        const char* expected;
    };
    const Case cases[] = {
        {"a;b", ";", 2, "b"},   {"a;b;", ";", 3, ""},       {"", ";", 1, ""},    {"a;b", ";", 0, ""},
        {"1.2.3", ".", 3, "3"}, {"er%sie", "%", 1, "er"},   {";x", ";", 1, ""},  {";x", ";", 2, "x"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetField(c.text, c.sep, c.field), c.expected) << c.text << " " << c.field;
}

TEST(Rtf, ConvertsDocumentsAndReturnsBrokenInputUnchanged) {
    struct Case {
        const char* name;
        QString in;
        QString out;
    };
    const QString fontDoc = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 Gute Mitarbeit\\par\r\n}";
    const Case cases[] = {
        {"font table and size", fontDoc, "Gute Mitarbeit\r\n"},
        {"one closing brace too many", fontDoc + "}", fontDoc + "}"},
        {"unclosed", "{\\rtf1 abc", "{\\rtf1 abc"},
        {"no rtf", "Nur Text", "Nur Text"},
        {"hex escape in group", "{\\rtf1 {K\\'e4se}}", QString::fromUtf8("Käse")},
        {"tab, tilde, escaped braces", "{\\rtf1 a\\tab b\\~c\\{d\\}\\\\ e}", "a\tb c{d}\\ e"},
        {"cyrillic u and fallback", "{\\rtf1 \\u1040?\\u1103?\\u20000?x}", QString::fromUtf16(u"\u00C0\u00FF?x")},
        {"ignored destination", "{\\rtf1 {\\*\\generator Foo {x};}Text}", "Text"},
        {"colour table", "{\\rtf1 {\\colortbl ;\\red0\\green0\\blue0;}Hallo}", "Hallo"},
        {"text after the document", "{\\rtf1 A}B", "A"},
        {"line", "{\\rtf1 a\\line b}", "a\r\nb"},
    };
    for (const Case& c : cases) EXPECT_EQ(RtfToText(c.in), c.out) << c.name;
    EXPECT_THROW(RtfToText("{\\rtf1 \\'zz}"), EConvertError);
    const QString deep = "{\\rtf1 " + QString(100000, '{') + QString(100000, '}') + "}";
    EXPECT_EQ(RtfToText(deep), deep);  // refused, not a stack overflow
}

TEST(WriteFieldTest, WritesTrimmedFieldsWithSeparatorAndLineEnd) {
    const QString path = tempDir() + "/felder.txt";
    {
        TTextFile f(path);
        WriteField(f, QVariant(QString::fromUtf8("  Müller ")), false);
        WriteField(f, QVariant(), false);
        WriteField(f, QVariant(2.5), false);
        WriteField(f, QVariant(42), true);
        // Integers of every width and sign, text trimmed of control characters too.
        WriteField(f, QVariant(-7), false);
        WriteField(f, QVariant(std::numeric_limits<qlonglong>::min()), false);
        WriteField(f, QVariant(std::numeric_limits<qulonglong>::max()), false);
        WriteField(f, QVariant(0u), false);
        WriteField(f, QVariant(QString::fromUtf8("\t a;b \x01")), false);
        WriteField(f, QVariant(QString::fromUtf8("€ \U0001F600")), true);
        f.CloseFile();
    }
    EXPECT_EQ(readFile(path), QByteArray("M\xFCller;;2,5;42\r\n"
                                         "-7;-9223372036854775808;18446744073709551615;0;a;b;\x80 ?\r\n"));
}

// The file is written in blocks: a long run of lines arrives whole and in order.
TEST(TextFileTest, ALongFileArrivesWhole) {
    const QString path = tempDir() + "/lang.txt";
    QByteArray expected;
    {
        TTextFile f(path);
        for (int i = 0; i < 20000; ++i) {
            f.Write(QString::number(i));
            f.Write(QChar(0xE4));
            f.WriteLn(QStringLiteral("x"));
            expected += QByteArray::number(i) + "\xE4x\r\n";
        }
        EXPECT_FALSE(QFile::exists(path));  // only under its name once closed
        f.CloseFile();
    }
    EXPECT_EQ(readFile(path), expected);
}

TEST(TextFileTest, AFileGivenUpLeavesNothingBehind) {
    const QString path = tempDir() + "/abgebrochen.txt";
    {
        TTextFile f(path);
        f.WriteLn("halb");
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_THROW(TTextFile(tempDir() + "/kein/ordner/x.txt"), EInOutError);
}
