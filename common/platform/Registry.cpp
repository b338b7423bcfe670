#include "Registry.h"

#include "Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <map>
#include <memory>
#include <sys/stat.h>

namespace {

struct Value {
    QString name;
    TRegDataType type = TRegDataType::rdUnknown;
    QString text;
    int integer = 0;
    QByteArray binary;
};

struct Node {
    QString name;
    std::map<QString, Value> values;                  // by lower-case name
    std::map<QString, std::unique_ptr<Node>> keys;    // by lower-case name
};

QString fold(const QString& s) { return s.toCaseFolded(); }

QStringList splitPath(const QString& path) {
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts;
}

const char* rootName(HKEY root) {
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

QJsonObject toJson(const Node& n) {
    QJsonObject values;
    for (const auto& [k, v] : n.values) {
        QJsonObject o;
        switch (v.type) {
        case TRegDataType::rdString: o["type"] = "string"; o["data"] = v.text; break;
        case TRegDataType::rdExpandString: o["type"] = "expand"; o["data"] = v.text; break;
        case TRegDataType::rdInteger: o["type"] = "integer"; o["data"] = v.integer; break;
        default: o["type"] = "binary"; o["data"] = QString::fromLatin1(v.binary.toBase64()); break;
        }
        values[v.name] = o;
    }
    QJsonObject keys;
    for (const auto& [k, child] : n.keys) keys[child->name] = toJson(*child);
    QJsonObject o;
    o["values"] = values;
    o["keys"] = keys;
    return o;
}

void fromJson(const QJsonObject& o, Node& n) {
    const QJsonObject values = o["values"].toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QJsonObject vo = it.value().toObject();
        Value v;
        v.name = it.key();
        const QString type = vo["type"].toString();
        if (type == "string") { v.type = TRegDataType::rdString; v.text = vo["data"].toString(); }
        else if (type == "expand") { v.type = TRegDataType::rdExpandString; v.text = vo["data"].toString(); }
        else if (type == "integer") { v.type = TRegDataType::rdInteger; v.integer = vo["data"].toInt(); }
        else { v.type = TRegDataType::rdBinary; v.binary = QByteArray::fromBase64(vo["data"].toString().toLatin1()); }
        n.values[fold(v.name)] = std::move(v);
    }
    const QJsonObject keys = o["keys"].toObject();
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        auto child = std::make_unique<Node>();
        child->name = it.key();
        fromJson(it.value().toObject(), *child);
        n.keys[fold(child->name)] = std::move(child);
    }
}

// The whole store of this process's copy of the library. Before every access it
// checks whether the file changed (another library or process wrote it).
class Store {
public:
    static Store& instance() {
        static Store s;
        return s;
    }

    Node& root(HKEY key) {
        refresh();
        return key == HKEY_CURRENT_USER ? FUser : FMachine;
    }

    Node* find(HKEY root, const QString& path) {
        Node* n = &this->root(root);
        for (const QString& part : splitPath(path)) {
            auto it = n->keys.find(fold(part));
            if (it == n->keys.end()) return nullptr;
            n = it->second.get();
        }
        return n;
    }

    Node* create(HKEY root, const QString& path) {
        Node* n = &this->root(root);
        for (const QString& part : splitPath(path)) {
            auto& slot = n->keys[fold(part)];
            if (!slot) {
                slot = std::make_unique<Node>();
                slot->name = part;
            }
            n = slot.get();
        }
        return n;
    }

    void save() {
        QJsonObject doc;
        doc[rootName(HKEY_CURRENT_USER)] = toJson(FUser);
        doc[rootName(HKEY_LOCAL_MACHINE)] = toJson(FMachine);
        const QString file = TRegistry::StoreFileName();
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(QJsonDocument(doc).toJson(QJsonDocument::Indented)) < 0 || !out.commit())
            throw ERegistryException(QStringLiteral("Die Registrierung %1 kann nicht geschrieben werden: %2")
                                         .arg(file, out.errorString()));
        FStamp = stamp(file);
        FFile = file;
    }

private:
    struct Stamp {
        qint64 sec = -1, nsec = -1, size = -1, ino = -1;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stamp(const QString& file) {
        struct stat st {};
        if (::stat(QFile::encodeName(file).constData(), &st) != 0) return {};
        return {qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec), qint64(st.st_size), qint64(st.st_ino)};
    }

    void refresh() {
        const QString file = TRegistry::StoreFileName();
        const Stamp now = stamp(file);
        if (file == FFile && now == FStamp) return;
        FFile = file;
        FStamp = now;
        FUser = Node{};
        FMachine = Node{};
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) return;
        QJsonParseError err{};
        const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &err);
        if (err.error != QJsonParseError::NoError || !doc.isObject()) {
            // Never overwrite a store we cannot read: keep it beside for inspection.
            in.close();
            QFile::remove(file + QStringLiteral(".defekt"));
            QFile::rename(file, file + QStringLiteral(".defekt"));
            FStamp = stamp(file);
            return;
        }
        fromJson(doc.object()[rootName(HKEY_CURRENT_USER)].toObject(), FUser);
        fromJson(doc.object()[rootName(HKEY_LOCAL_MACHINE)].toObject(), FMachine);
    }

    Node FUser;
    Node FMachine;
    QString FFile;
    Stamp FStamp;
};

const Value* findValue(const Node* n, const QString& name) {
    if (!n) return nullptr;
    auto it = n->values.find(fold(name));
    return it == n->values.end() ? nullptr : &it->second;
}

[[noreturn]] void invalidType(const QString& name) {
    throw ERegistryException(QStringLiteral("Ungültiger Datentyp für '%1'").arg(name));
}

}  // namespace

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

QString TRegistry::StoreFileName() {
    const QByteArray env = qgetenv("VELTRA_REGISTRY");
    if (!env.isEmpty()) return QFile::decodeName(env);
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/veltra/registry.json");
}

QString TRegistry::absolute(const QString& key) const {
    QString k = key;
    k.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (k.startsWith(QLatin1Char('\\')) || !FOpen || FCurrentPath.isEmpty())
        return splitPath(k).join(QLatin1Char('\\'));
    return splitPath(FCurrentPath + QLatin1Char('\\') + k).join(QLatin1Char('\\'));
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    const QString path = absolute(key);
    Store& s = Store::instance();
    if (!s.find(RootKey, path)) {
        if (!canCreate) return false;
        s.create(RootKey, path);
        s.save();
    }
    FCurrentPath = path;
    FOpen = true;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key) {
    const QString path = absolute(key);
    if (!Store::instance().find(RootKey, path)) return false;
    FCurrentPath = path;
    FOpen = true;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey() {
    FCurrentPath.clear();
    FOpen = false;
    FReadOnly = false;
}

bool TRegistry::KeyExists(const QString& key) const {
    return Store::instance().find(RootKey, absolute(key)) != nullptr;
}

bool TRegistry::CreateKey(const QString& key) {
    Store& s = Store::instance();
    const QString path = absolute(key);
    if (s.find(RootKey, path)) return true;
    s.create(RootKey, path);
    s.save();
    return true;
}

bool TRegistry::DeleteKey(const QString& key) {
    Store& s = Store::instance();
    QStringList parts = splitPath(absolute(key));
    if (parts.isEmpty()) return false;
    const QString last = parts.takeLast();
    Node* parent = s.find(RootKey, parts.join(QLatin1Char('\\')));
    if (!parent || !parent->keys.erase(fold(last))) return false;
    s.save();
    return true;
}

bool TRegistry::HasSubKeys() const {
    const Node* n = Store::instance().find(RootKey, FCurrentPath);
    return n && !n->keys.empty();
}

QStringList TRegistry::GetKeyNames() const {
    QStringList names;
    if (const Node* n = Store::instance().find(RootKey, FCurrentPath))
        for (const auto& [k, child] : n->keys) names << child->name;
    return names;
}

bool TRegistry::ValueExists(const QString& name) const {
    return findValue(Store::instance().find(RootKey, FCurrentPath), name) != nullptr;
}

QStringList TRegistry::GetValueNames() const {
    QStringList names;
    if (const Node* n = Store::instance().find(RootKey, FCurrentPath))
        for (const auto& [k, v] : n->values) names << v.name;
    return names;
}

TRegDataType TRegistry::GetDataType(const QString& name) const {
    const Value* v = findValue(Store::instance().find(RootKey, FCurrentPath), name);
    return v ? v->type : TRegDataType::rdUnknown;
}

bool TRegistry::DeleteValue(const QString& name) {
    checkWritable();
    Store& s = Store::instance();
    Node* n = s.find(RootKey, FCurrentPath);
    if (!n || !n->values.erase(fold(name))) return false;
    s.save();
    return true;
}

QString TRegistry::ReadString(const QString& name) const {
    const Value* v = findValue(Store::instance().find(RootKey, FCurrentPath), name);
    if (!v) return {};
    if (v->type != TRegDataType::rdString && v->type != TRegDataType::rdExpandString) invalidType(name);
    return v->text;
}

int TRegistry::ReadInteger(const QString& name) const {
    const Value* v = findValue(Store::instance().find(RootKey, FCurrentPath), name);
    if (!v) throw ERegistryException(QStringLiteral("Fehler beim Lesen der Daten für '%1'").arg(name));
    if (v->type != TRegDataType::rdInteger) invalidType(name);
    return v->integer;
}

QByteArray TRegistry::ReadBinaryData(const QString& name) const {
    const Value* v = findValue(Store::instance().find(RootKey, FCurrentPath), name);
    if (!v) return {};
    if (v->type != TRegDataType::rdBinary) invalidType(name);
    return v->binary;
}

void TRegistry::checkWritable() const {
    if (FReadOnly)
        throw ERegistryException(QStringLiteral("Der Schlüssel %1 ist nur zum Lesen geöffnet").arg(FCurrentPath));
}

namespace {
void writeValue(HKEY root, const QString& path, Value v) {
    Store& s = Store::instance();
    Node* n = s.find(root, path);
    if (!n) throw ERegistryException(QStringLiteral("Fehler beim Setzen der Daten für '%1'").arg(v.name));
    auto& slot = n->values[fold(v.name)];
    if (!slot.name.isEmpty()) v.name = slot.name;  // keep the case it was created with
    slot = std::move(v);
    s.save();
}
}  // namespace

namespace {
// Every typed write: the value with its type, filled by the caller, stored under the open key.
template <typename Fill>
void writeTyped(const TRegistry& reg, const QString& name, TRegDataType type, Fill fill) {
    Value v;
    v.name = name;
    v.type = type;
    fill(v);
    writeValue(reg.RootKey, reg.CurrentPath(), std::move(v));
}
}  // namespace

void TRegistry::WriteString(const QString& name, const QString& value) {
    checkWritable();
    writeTyped(*this, name, TRegDataType::rdString, [&](Value& v) { v.text = value; });
}

void TRegistry::WriteExpandString(const QString& name, const QString& value) {
    checkWritable();
    writeTyped(*this, name, TRegDataType::rdExpandString, [&](Value& v) { v.text = value; });
}

void TRegistry::WriteInteger(const QString& name, int value) {
    checkWritable();
    writeTyped(*this, name, TRegDataType::rdInteger, [&](Value& v) { v.integer = value; });
}

void TRegistry::WriteBinaryData(const QString& name, const QByteArray& value) {
    checkWritable();
    writeTyped(*this, name, TRegDataType::rdBinary, [&](Value& v) { v.binary = value; });
}
