#pragma once
// INI files and in-memory INI text with Windows semantics: sections and keys
// case-insensitive, file order kept, "Key=Value" without blanks, Windows-1252
// files with CR LF. Changes stay in memory until UpdateFile (written atomically).
#include <QString>
#include <QStringList>
#include <memory>

class IniFile {
public:
    // Loads the file when it exists; an empty file name gives an in-memory INI.
    explicit IniFile(const QString& fileName = {});
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& FileName() const { return FFileName; }

    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    void WriteString(const QString& section, const QString& ident, const QString& value);
    // Decimal or "$"/"0x" hexadecimal; the default when the text is no integer.
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    void WriteInteger(const QString& section, const QString& ident, int value);
    // "0" is false, any other integer true; the default when no integer.
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    void WriteBool(const QString& section, const QString& ident, bool value);
    double ReadFloat(const QString& section, const QString& ident, double def) const;
    void WriteFloat(const QString& section, const QString& ident, double value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const;        // the keys
    QStringList ReadSectionValues(const QString& section) const;  // "Key=Value"
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& ident);
    void Clear();

    // The whole INI as text lines, and replacing it from text.
    QStringList GetStrings() const;
    QString Text() const;
    void SetStrings(const QStringList& lines);
    void SetText(const QString& text);

    // Writes the file (Windows-1252, CR LF) beside and renames it into place.
    void UpdateFile() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString FFileName;
};
