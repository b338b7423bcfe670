#pragma once
// The version record compiled into each of our binaries (ProductName,
// FileVersion, InternalName, FileDescription, CompanyName, LegalCopyright),
// read back from the file itself without loading it.
#include <QMap>
#include <QString>

struct TVersionRecord {
    QMap<QString, QString> Fields;
    bool isEmpty() const { return Fields.isEmpty(); }
    QString value(const QString& name) const { return Fields.value(name); }
};

// Empty when the file cannot be read or carries no record.
TVersionRecord ReadVersionRecord(const QString& fileName);

// The file of the binary (library or executable) this copy of the common
// library is linked into.
QString ModuleFileName();
