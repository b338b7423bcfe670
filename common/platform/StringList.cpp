#include "StringList.h"

#include "Codec1252.h"
#include "Exceptions.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

const QString& TStringList::Strings(int i) const {
    check(i);
    return FStrings.at(i);
}

void TStringList::SetStrings(int i, const QString& s) {
    check(i);
    FStrings[i] = s;
}

QVariant TStringList::Objects(int i) const {
    check(i);
    return FObjects.at(i);
}

void TStringList::SetObjects(int i, const QVariant& o) {
    check(i);
    FObjects[i] = o;
}

void TStringList::check(int i) const {
    if (i < 0 || i >= FStrings.size())
        throw EListError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(i));
}

int TStringList::Add(const QString& s) { return AddObject(s, QVariant()); }

int TStringList::AddObject(const QString& s, const QVariant& o) {
    FStrings.append(s);
    FObjects.append(o);
    return int(FStrings.size()) - 1;
}

void TStringList::Insert(int i, const QString& s) {
    if (i < 0 || i > FStrings.size())
        throw EListError(QStringLiteral("Listenindex überschreitet das Maximum (%1)").arg(i));
    FStrings.insert(i, s);
    FObjects.insert(i, QVariant());
}

void TStringList::Delete(int i) {
    check(i);
    FStrings.removeAt(i);
    FObjects.removeAt(i);
}

void TStringList::Clear() {
    FStrings.clear();
    FObjects.clear();
}

void TStringList::Exchange(int a, int b) {
    check(a);
    check(b);
    FStrings.swapItemsAt(a, b);
    FObjects.swapItemsAt(a, b);
}

int TStringList::IndexOf(const QString& s) const {
    const Qt::CaseSensitivity cs = CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < FStrings.size(); ++i)
        if (FStrings.at(i).compare(s, cs) == 0) return i;
    return -1;
}

void TStringList::AddStrings(const TStringList& other) {
    for (int i = 0; i < other.Count(); ++i) AddObject(other.FStrings.at(i), other.FObjects.at(i));
}

void TStringList::Assign(const TStringList& other) { *this = other; }

QString TStringList::Names(int i) const {
    const QString& s = Strings(i);
    const qsizetype p = s.indexOf(NameValueSeparator);
    return p < 0 ? QString() : s.left(p);
}

QString TStringList::ValueFromIndex(int i) const {
    const QString& s = Strings(i);
    const qsizetype p = s.indexOf(NameValueSeparator);
    return p < 0 ? QString() : s.mid(p + 1);
}

int TStringList::IndexOfName(const QString& name) const {
    const Qt::CaseSensitivity cs = CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (int i = 0; i < FStrings.size(); ++i) {
        const QString& s = FStrings.at(i);
        const qsizetype p = s.indexOf(NameValueSeparator);
        if (p >= 0 && QStringView(s).left(p).compare(name, cs) == 0) return i;
    }
    return -1;
}

QString TStringList::Values(const QString& name) const {
    const int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStringList::SetValues(const QString& name, const QString& value) {
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const QString entry = name + NameValueSeparator + value;
    if (i < 0) Add(entry);
    else FStrings[i] = entry;
}

QString TStringList::Text() const {
    QString out;
    for (const QString& s : FStrings) {
        out += s;
        out += QStringLiteral("\r\n");
    }
    return out;
}

void TStringList::SetText(const QString& text) {
    Clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype p = start;
        while (p < n && text.at(p) != QLatin1Char('\r') && text.at(p) != QLatin1Char('\n')) ++p;
        Add(text.mid(start, p - start));
        if (p < n && text.at(p) == QLatin1Char('\r')) ++p;
        if (p < n && text.at(p) == QLatin1Char('\n')) ++p;
        start = p;
    }
}

QString TStringList::CommaText() const {
    TStringList copy(*this);
    copy.Delimiter = QLatin1Char(',');
    copy.QuoteChar = QLatin1Char('"');
    return copy.DelimitedText();
}

QString TStringList::DelimitedText() const {
    if (FStrings.size() == 1 && FStrings.first().isEmpty()) return QString(2, QuoteChar);
    QString out;
    for (qsizetype i = 0; i < FStrings.size(); ++i) {
        const QString& s = FStrings.at(i);
        bool quote = false;
        for (QChar c : s)
            if (c.unicode() <= ' ' || c == QuoteChar || c == Delimiter) {
                quote = true;
                break;
            }
        if (i) out += Delimiter;
        if (quote) {
            QString q = s;
            q.replace(QuoteChar, QString(2, QuoteChar));
            out += QuoteChar + q + QuoteChar;
        } else {
            out += s;
        }
    }
    return out;
}

void TStringList::SetDelimitedText(const QString& text) {
    Clear();
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] { while (i < n && text.at(i).unicode() > 0 && text.at(i).unicode() <= ' ') ++i; };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text.at(i) == QuoteChar) {
            ++i;
            while (i < n) {
                if (text.at(i) == QuoteChar) {
                    if (i + 1 < n && text.at(i + 1) == QuoteChar) {
                        item += QuoteChar;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text.at(i++);
            }
        } else {
            while (i < n && text.at(i).unicode() > ' ' && text.at(i) != Delimiter) item += text.at(i++);
        }
        Add(item);
        skipBlanks();
        if (i < n && text.at(i) == Delimiter) {
            ++i;
            skipBlanks();
            if (i >= n) Add(QString());
        }
    }
}

void TStringList::LoadFromBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) SetText(QString::fromUtf8(bytes.mid(3)));
    else if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder dec(QStringDecoder::Utf16LE);
        SetText(dec(bytes.mid(2)));
    } else SetText(Codec1252::decode(bytes));
}

QByteArray TStringList::SaveToBytes() const { return Codec1252::encode(Text()); }

void TStringList::LoadFromFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2").arg(fileName, f.errorString()));
    LoadFromBytes(f.readAll());
}

void TStringList::SaveToFile(const QString& fileName) const {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(SaveToBytes()) < 0 || !f.commit())
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(fileName, f.errorString()));
}

// Text is encoded into one reused buffer and handed to the file in large
// blocks, not one small array per call.
namespace {
constexpr qsizetype kTextFileBlock = 64 * 1024;
}

struct TTextFile::Impl {
    QSaveFile file;
    QByteArray buffer;
    explicit Impl(const QString& name) : file(name) { buffer.reserve(kTextFileBlock + 1024); }
    bool flush() {
        if (buffer.isEmpty()) return true;
        const bool ok = file.write(buffer) == buffer.size();
        buffer.resize(0);
        return ok;
    }
};

TTextFile::TTextFile(const QString& fileName) : d(new Impl(fileName)), FFileName(fileName) {
    if (!d->file.open(QIODevice::WriteOnly)) {
        const QString err = d->file.errorString();
        delete d;
        throw EInOutError(QStringLiteral("Die Datei %1 kann nicht angelegt werden: %2").arg(fileName, err));
    }
}

TTextFile::~TTextFile() {
    if (d) d->file.cancelWriting();
    delete d;
}

void TTextFile::Write(QStringView text) {
    if (!d) throw EInOutError(QStringLiteral("Die Datei %1 ist nicht geöffnet").arg(FFileName));
    Codec1252::encodeAppend(text, d->buffer);
    if (d->buffer.size() >= kTextFileBlock && !d->flush())
        throw EInOutError(QStringLiteral("Fehler beim Schreiben in %1: %2").arg(FFileName, d->file.errorString()));
}

void TTextFile::WriteLn(QStringView text) {
    Write(text);
    Write(QStringView(u"\r\n"));
}

void TTextFile::CloseFile() {
    if (!d) return;
    const bool flushed = d->flush();
    const bool ok = flushed && d->file.commit();
    if (!flushed) d->file.cancelWriting();
    const QString err = d->file.errorString();
    delete d;
    d = nullptr;
    if (!ok) throw EInOutError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(FFileName, err));
}
