#pragma once
// The run-time library's string list as the plug-ins use it: ordered entries,
// name-value access with a separator ("=" by default, names compared without
// regard to case), the whole text with CR LF after every entry, delimited text,
// and ANSI files.
#include <QString>
#include <QStringList>
#include <QVariant>

class QIODevice;

class TStringList {
public:
    TStringList() = default;
    virtual ~TStringList() = default;
    TStringList(const TStringList&) = default;
    TStringList& operator=(const TStringList&) = default;

    QChar NameValueSeparator = QLatin1Char('=');
    QChar Delimiter = QLatin1Char(',');
    QChar QuoteChar = QLatin1Char('"');
    bool CaseSensitive = false;

    int Count() const { return int(FStrings.size()); }
    const QString& Strings(int i) const;
    void SetStrings(int i, const QString& s);
    QVariant Objects(int i) const;
    void SetObjects(int i, const QVariant& o);
    const QString& operator[](int i) const { return Strings(i); }

    int Add(const QString& s);
    int AddObject(const QString& s, const QVariant& o);
    void Insert(int i, const QString& s);
    void Delete(int i);
    void Clear();
    void Exchange(int a, int b);
    int IndexOf(const QString& s) const;
    void AddStrings(const TStringList& other);
    void Assign(const TStringList& other);

    QString Names(int i) const;           // empty when the entry has no separator
    QString ValueFromIndex(int i) const;  // empty when the entry has no separator
    int IndexOfName(const QString& name) const;
    QString Values(const QString& name) const;
    // An empty value deletes the entry; otherwise it is replaced or appended.
    void SetValues(const QString& name, const QString& value);

    // Entries each followed by CR LF; setting splits at CR LF, CR or LF.
    QString Text() const;
    void SetText(const QString& text);
    QString CommaText() const;
    QString DelimitedText() const;
    void SetDelimitedText(const QString& text);
    const QStringList& List() const { return FStrings; }

    // Byte-order mark decides UTF-8/UTF-16, else Windows-1252; files are
    // written in Windows-1252 beside the target and renamed into place.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;
    void LoadFromBytes(const QByteArray& bytes);
    QByteArray SaveToBytes() const;

private:
    void check(int i) const;
    QStringList FStrings;
    QList<QVariant> FObjects;
};

// A text file written line by line in Windows-1252 with CR LF. It appears under
// its name only when closed; a file given up in the middle leaves nothing behind.
class TTextFile {
public:
    explicit TTextFile(const QString& fileName);
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    void Write(const QString& text) { Write(QStringView(text)); }
    void Write(QStringView text);
    void Write(QChar c) { Write(QStringView(&c, 1)); }
    void WriteLn(const QString& text) { WriteLn(QStringView(text)); }
    void WriteLn(QStringView text = {});
    void CloseFile();
    const QString& FileName() const { return FFileName; }

private:
    struct Impl;
    Impl* d;
    QString FFileName;
};
