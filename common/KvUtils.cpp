#include "KvUtils.h"

#include "Codec1252.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "FormatSettings.h"
#include "Guards.h"
#include "Registry.h"
#include "SysUtils.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidget>
#include <QtEndian>

TStringListEx* PointsTable = nullptr;
QChar ListSeparatorChar = QLatin1Char(';');

namespace {
TKvUtilsFlavor gFlavor = TKvUtilsFlavor::Classic;

const char* const kPoints[] = {
    " = ", "15=1+", "14=1", "13=1-", "12=2+", "11=2", "10=2-", "9=3+", "8=3", "7=3-", "6=4+", "5=4", "4=4-",
    "3=5+", "2=5", "1=5-", "0=6", "E1=E1", "E2=E2", "E3=E3", "AT=AT", "NB=NB", "NE=NE", "AM=AM", "NT=NT", "LM=LM",
};
}  // namespace

void InitKvUtils(TKvUtilsFlavor aFlavor) {
    FinalizeKvUtils();
    gFlavor = aFlavor;
    if (aFlavor == TKvUtilsFlavor::Classic) {
        // Owned through InitKvUtils/FinalizeKvUtils, not a static object: a
        // library's own shut-down may run after static destructors of this unit.
        PointsTable = new TStringListEx();
        for (const char* e : kPoints) PointsTable->Add(QString::fromLatin1(e));
        ReadListSeparator();
    } else {
        TrueBoolStrs() = {QStringLiteral("True"), QStringLiteral("ja"), QStringLiteral("Wahr"), QStringLiteral("+")};
        FalseBoolStrs() = {QStringLiteral("False"), QStringLiteral("nein"), QStringLiteral("Falsch"), QStringLiteral("-")};
        ListSeparatorChar = FormatSettings().ListSeparator;
    }
}

void FinalizeKvUtils() {
    if (PointsTable) PointsTable->Clear();
    delete PointsTable;
    PointsTable = nullptr;
}

TKvUtilsFlavor KvUtilsFlavor() { return gFlavor; }

QString GradeToPoints(const QString& aGrade) { return PointsTable ? PointsTable->GetNameValues(aGrade) : QString(); }

QString PointsToGrade(const QString& aPoints) { return PointsTable ? PointsTable->Values(aPoints) : QString(); }

bool IsDeficitGrade(const QString& aGrade) { return StrToIntDef(GradeToPoints(aGrade), 5) < 5; }

bool IsEven(int n) { return n % 2 == 0; }

QString SchoolYearText(int aYear, int aSection) {
    QString s = QString::number(aYear) + QLatin1Char('/') + QStringLiteral("%1").arg((aYear + 1) % 100, 2);
    if (aSection > 0) s += QLatin1Char('.') + QString::number(aSection);
    s.replace(QLatin1Char(' '), QLatin1Char('0'));
    return s;
}

void ParseSchoolYearText(const QString& aText, int& aYear, int& aSection) {
    const qsizetype slash = aText.indexOf(QLatin1Char('/'));
    aYear = StrToInt(slash < 0 ? QString() : aText.left(slash));
    const qsizetype dot = aText.indexOf(QLatin1Char('.'));
    aSection = 0;
    if (dot >= 0 && dot + 1 < aText.size()) {
        const QChar c = aText.at(dot + 1);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) aSection = c.unicode() - '0';
    }
}

bool ConfirmDlg(const QString& aMsg) {
    if (gFlavor == TKvUtilsFlavor::Tavex)
        return Dialogs::instance().MessageDlg(aMsg, TMsgDlgType::mtConfirmation, mbYesNo) == mrYes;
    ArrowCursorGuard arrow;
    return Dialogs::instance().MessageDlg(aMsg, TMsgDlgType::mtConfirmation, mbYesNo) == mrYes;
}

void ErrorDlg(const QString& aMsg) {
    if (gFlavor == TKvUtilsFlavor::Tavex) {
        Dialogs::instance().MessageDlg(aMsg, TMsgDlgType::mtError, mbOK);
        return;
    }
    ArrowCursorGuard arrow;
    Dialogs::instance().MessageDlg(aMsg, TMsgDlgType::mtError, mbOK);
}

void SaveGridToCsv(const QTableWidget& aGrid, const QString& aFileName) {
    TStringList lines;
    for (int r = 0; r < aGrid.rowCount(); ++r) {
        TStringList cells;
        for (int c = 0; c < aGrid.columnCount(); ++c) {
            const QTableWidgetItem* item = aGrid.item(r, c);
            cells.Add(item ? item->text() : QString());
        }
        lines.Add(cells.CommaText());
    }
    lines.SaveToFile(aFileName);
}

namespace {
QString colWidthKey(const QString& aKey) {
    if (aKey.contains(QLatin1String("Software"))) return aKey;
    return QStringLiteral("Software\\") + QCoreApplication::applicationName() + QLatin1Char('\\') + aKey;
}
}  // namespace

void SaveColWidths(const QTableWidget& aGrid, const QString& aKey, const QString& aValueName) {
    try {
        TRegistry reg;
        reg.RootKey = HKEY_CURRENT_USER;
        if (!reg.OpenKey(colWidthKey(aKey), true)) return;
        QString value = QString::number(aGrid.columnCount());
        for (int c = 0; c < aGrid.columnCount(); ++c) value += QLatin1Char(';') + QString::number(aGrid.columnWidth(c));
        reg.WriteString(aValueName, value);
    } catch (const ERegistryException&) {
    }
}

void LoadColWidths(QTableWidget& aGrid, const QString& aKey, const QString& aValueName) {
    QString value;
    try {
        TRegistry reg;
        reg.RootKey = HKEY_CURRENT_USER;
        if (!reg.OpenKey(colWidthKey(aKey), false)) return;
        value = reg.ReadString(aValueName);
    } catch (const ERegistryException&) {
        return;
    }
    if (value.isEmpty()) return;
    const int stored = StrToInt(FirstToken(value, QLatin1Char(';')));
    const int count = std::min(stored, aGrid.columnCount());
    for (int c = 0; c < count; ++c) aGrid.setColumnWidth(c, StrToInt(NextToken(value, QLatin1Char(';'))));
}

QString SafeFileName(const QString& aName) {
    QString s = aName;
    for (QChar c : QStringLiteral("\\/:*?\"<>|, ")) s.replace(c, QLatin1Char('_'));
    return s;
}

QDateTime UnixSecondsToDateTime(quint32 aSeconds) {
    return QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC).addSecs(qint64(aSeconds));
}

namespace {
constexpr quint32 kFixedLinkerStamp = 0x2A425E19;

// PE layout, offsets within the 248 bytes read at the PE header (signature "PE\0\0",
// COFF file header from offset 4, optional header from offset 24).
constexpr int kPeHeaderSize = 248;       // signature + file header + PE32 optional header
constexpr int kFileHdrSections = 6;      // NumberOfSections (16 bit)
constexpr int kFileHdrTimeStamp = 8;     // TimeDateStamp (32 bit)
constexpr int kFileHdrOptSize = 20;      // SizeOfOptionalHeader (16 bit)
constexpr int kOptHdr = 24;              // start of the optional header
constexpr int kOptMagic = kOptHdr + 0;   // 0x10B for PE32
constexpr int kOptResourceRva = kOptHdr + 112;   // data directory 2: RVA
constexpr int kOptResourceSize = kOptHdr + 116;  // data directory 2: size
constexpr int kSectionSize = 40;
constexpr int kSecVirtualAddress = 12;
constexpr int kSecRawSize = 16;
constexpr int kSecRawPointer = 20;
constexpr int kResDirTimeStamp = 4;
static_assert(kOptResourceSize + 4 <= kPeHeaderSize);

quint16 u16(const QByteArray& b, int off) { return qFromLittleEndian<quint16>(b.constData() + off); }
quint32 u32(const QByteArray& b, int off) { return qFromLittleEndian<quint32>(b.constData() + off); }

QDateTime fileTimeFallback(const QString& fileName) {
    const QDateTime local = QFileInfo(fileName).lastModified().toLocalTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

bool readAt(QFile& f, qint64 pos, qint64 n, QByteArray& out) {
    if (pos < 0 || !f.seek(pos)) return false;
    out = f.read(n);
    return out.size() == n;
}
}  // namespace

QDateTime GetLinkDate(const QString& aFileName) {
    QFile f(aFileName);
    if (!f.open(QIODevice::ReadOnly)) return UnixSecondsToDateTime(0);
    QByteArray dos;
    qint64 peOffset = 0;
    if (readAt(f, 0, 64, dos) && dos.startsWith("MZ")) peOffset = u32(dos, 60);
    QByteArray pe;
    if (!readAt(f, peOffset, kPeHeaderSize, pe) || !pe.startsWith(QByteArray("PE\0\0", 4)))
        return fileTimeFallback(aFileName);  // not a PE image (our ELF libraries): the file time
    const quint32 stamp = u32(pe, kFileHdrTimeStamp);
    if (stamp != kFixedLinkerStamp) return UnixSecondsToDateTime(stamp);

    const quint16 optSize = u16(pe, kFileHdrOptSize);
    if (optSize < 224 || u16(pe, kOptMagic) != 0x10B) return fileTimeFallback(aFileName);
    const quint32 resRva = u32(pe, kOptResourceRva);
    const quint32 resSize = u32(pe, kOptResourceSize);
    const int sections = u16(pe, kFileHdrSections);
    QByteArray table;
    if (!readAt(f, peOffset + kOptHdr + optSize, qint64(sections) * kSectionSize, table))
        return fileTimeFallback(aFileName);
    for (int s = 0; s < sections; ++s) {
        const int base = s * kSectionSize;
        const quint64 va = u32(table, base + kSecVirtualAddress);
        const quint64 raw = u32(table, base + kSecRawSize);
        if (va > resRva || va + raw < quint64(resRva) + resSize) continue;
        QByteArray dir;
        if (!readAt(f, qint64(u32(table, base + kSecRawPointer)) + resRva - va, 16, dir)) break;
        const quint32 dosStamp = u32(dir, kResDirTimeStamp);
        const quint16 d = dosStamp >> 16, t = dosStamp & 0xFFFF;
        const QDate date(1980 + (d >> 9), (d >> 5) & 0x0F, d & 0x1F);
        const QTime time((t >> 11) & 0x1F, (t >> 5) & 0x3F, (t & 0x1F) * 2);
        if (!date.isValid() || !time.isValid()) break;
        const qint64 secs = QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC).secsTo(QDateTime(date, time, Qt::UTC));
        return UnixSecondsToDateTime(quint32(secs));
    }
    return fileTimeFallback(aFileName);
}

void CurrentSchoolYear(int& aYear, int& aSection, QDate aToday) {
    const int m = aToday.month();
    if (m <= 2) {
        aYear = aToday.year() - 1;
        aSection = 1;
    } else if (m <= 7) {
        aYear = aToday.year() - 1;
        aSection = 2;
    } else {
        aYear = aToday.year();
        aSection = 1;
    }
}

void ReadListSeparator() {
    try {
        TRegistry reg;
        reg.RootKey = HKEY_CURRENT_USER;
        if (!reg.OpenKey(QStringLiteral("\\Control Panel\\International"), true)) return;
        const QString s = reg.ReadString(QStringLiteral("sList"));
        if (s.isEmpty()) {
            ListSeparatorChar = QLatin1Char(';');
            reg.WriteString(QStringLiteral("sList"), QStringLiteral(";"));
        } else {
            ListSeparatorChar = s.at(0);
        }
    } catch (const ERegistryException&) {
    }
}
