#pragma once
// The registry store: keys and typed values (text, integer, binary) per user,
// case-insensitive and case-preserving like the Windows registry. Persisted as
// one JSON file ($VELTRA_REGISTRY, else $XDG_CONFIG_HOME/veltra/registry.json),
// re-read when another process or library changed it, written atomically.
#include <QByteArray>
#include <QString>
#include <QStringList>

enum class HKEY { CURRENT_USER, LOCAL_MACHINE };
constexpr HKEY HKEY_CURRENT_USER = HKEY::CURRENT_USER;
constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LOCAL_MACHINE;

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Operations modelled on the registry class the plug-ins were written against:
// OpenKey with a leading backslash is absolute, otherwise relative to the open key;
// reading a value of the wrong type raises ERegistryException.
class TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey = HKEY_CURRENT_USER;
    QString CurrentPath() const { return FCurrentPath; }

    bool OpenKey(const QString& key, bool canCreate);
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    bool KeyExists(const QString& key) const;
    bool CreateKey(const QString& key);
    bool DeleteKey(const QString& key);
    bool HasSubKeys() const;
    QStringList GetKeyNames() const;

    bool ValueExists(const QString& name) const;
    QStringList GetValueNames() const;
    TRegDataType GetDataType(const QString& name) const;
    bool DeleteValue(const QString& name);

    // Missing value: empty text; value of another type: ERegistryException.
    QString ReadString(const QString& name) const;
    void WriteString(const QString& name, const QString& value);
    void WriteExpandString(const QString& name, const QString& value);
    // Missing value or value of another type: ERegistryException.
    int ReadInteger(const QString& name) const;
    void WriteInteger(const QString& name, int value);
    bool ReadBool(const QString& name) const { return ReadInteger(name) != 0; }
    void WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    QByteArray ReadBinaryData(const QString& name) const;
    void WriteBinaryData(const QString& name, const QByteArray& value);

    // The file that holds the store for this process.
    static QString StoreFileName();

private:
    QString absolute(const QString& key) const;
    void checkWritable() const;

    QString FCurrentPath;  // normalised, without leading backslash
    bool FOpen = false;
    bool FReadOnly = false;
};
