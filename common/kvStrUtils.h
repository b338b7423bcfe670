#pragma once
// String list with reverse name-value lookup and stream/zip I/O, the tokenizer,
// field reading, RTF to plain text and the stream string format.
#include "StringList.h"

#include <QString>
#include <QVariant>

class QIODevice;
class QuaZip;
class TTextFile;

class TStringListEx : public TStringList {
public:
    TStringListEx() = default;
    // An empty user name stores the class name instead.
    explicit TStringListEx(const QString& aUsername);

    QString Username;

    int IndexOfValue(const QString& aValue) const;
    QString GetNameValues(const QString& aValue) const;
    void SetNameValues(const QString& aValue, const QString& Value);
    void Append(const TStringList& aListe);
    QString LeftText(const QString& aDelimiter) const;
    QString RightText(const QString& aDelimiter) const;

    // aZipFile: an open archive (unzip mode for reading, create/add mode for writing) or nullptr.
    void ReadFromFile(const QString& aFilename, QuaZip* aZipFile = nullptr);
    void WriteToFile(const QString& aFilename, QuaZip* aZipFile = nullptr) const;
    void ReadFromStream(QIODevice& aStream);
    void WriteToStream(QIODevice& aStream) const;
};

// Characters from aPos up to the next separator; aPos moves past it.
QString ExtractToken(const QString& aText, int& aPos, QChar aSeparator);
QString FirstToken(const QString& aText, QChar aSeparator);
QString NextToken(const QString& aText, QChar aSeparator);
QString GetField(const QString& aText, const QString& aSeparator, int aField);
QString RtfToText(const QString& aRtf);
// aMaxLen > 0 limits the characters read; the rest of that string stays unread.
QString ReadStreamString(QIODevice& aStream, int aMaxLen = 0);
void WriteStreamString(QIODevice& aStream, const QString& aText);
void WriteField(TTextFile& aFile, const QVariant& aValue, bool aLastField);
