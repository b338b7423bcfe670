#include "Wpdb.h"

#include "Codec1252.h"
#include "uPlanUtils.h"

#include <QChar>
#include <algorithm>

using namespace PlanUtils;

std::array<tKueStr, KueIndexCount> KueNames{};
std::array<int16_t, KueIndexCount> KueOrder{};
std::array<int, StoredKueArten> KueCount{};

TKueart KueArtOf(int i) {
    for (int k = 0; k < StoredKueArten; ++k)
        if (KueFirst[size_t(k)] <= i && i <= KueLast[size_t(k)]) return TKueart(k);
    return num0;
}

static bool isAnyFirst(int i) {
    return std::find(KueFirst.begin(), KueFirst.end(), i) != KueFirst.end();
}

static bool isAnyLast(int i) {
    return std::find(KueLast.begin(), KueLast.end(), i) != KueLast.end();
}

bool IsFreeKuerzel(int i) {
    if (isAnyFirst(i)) return true;
    if (i < 0 || i > KueLastChecked) return false;
    const tKueStr& n = KueNames[size_t(i)];
    if (n.startsWith('.')) return true;
    return trimBytes(n.bytes()).isEmpty();
}

bool IsBlockKuerzel(int i) {
    if (isAnyLast(i)) return true;
    if (i < 0 || i > KueLastChecked) return false;
    return KueNames[size_t(i)].startsWith('_');
}

bool IsRealKuerzel(TKueart k, int i) { return k < StoredKueArten && KueFirst[k] < i && i <= KueLast[k]; }
bool InIndexRange(int i) { return KueFirst[leh] <= i && i <= KueLast[raq]; }
bool IsFreeOrBlockKuerzel(int i) { return IsFreeKuerzel(i) || IsBlockKuerzel(i); }
bool IsMarkerIndex(int i) { return i == KueMarkerFirst || (i >= 1332 && i <= 1336); }

int NextKuerzel(int i) {
    const TKueart k = KueArtOf(i);
    if (k >= StoredKueArten) return i;
    const int b = KueFirst[k], c = KueCount[k];
    for (int p = b; p <= b + c - 1; ++p)
        if (KueOrder[size_t(p)] == i) return KueOrder[size_t(p + 1)];
    return b;
}

int PrevKuerzel(int i) {
    const TKueart k = KueArtOf(i);
    if (k >= StoredKueArten) return i;
    const int b = KueFirst[k], c = KueCount[k];
    for (int p = b; p <= b + c - 1; ++p)
        if (KueOrder[size_t(p)] == i) return p > b ? KueOrder[size_t(p - 1)] : KueOrder[size_t(b + c)];
    return KueOrder[size_t(std::max(b, b + c - 1))];
}

int FirstKuerzel(TKueart k) { return NextKuerzel(KueFirst[k]); }
int LastKuerzel(TKueart k) { return PrevKuerzel(KueFirst[k]); }

QString KuerzelName(int i) {
    if (i == KueMarkerFirst) return VeltraplanOptions().MerkerStr[0];
    if (i >= 1332 && i <= 1336) return VeltraplanOptions().MerkerStr[size_t(i - 1331)];
    if (i == KueFreiIndex) return KueNames[size_t(i)].toString();
    if (InIndexRange(i)) return IsFreeKuerzel(i) ? QStringLiteral("...") : Codec1252::decode(trimBytes(KueNames[size_t(i)].bytes()));
    return QStringLiteral("...");
}

QString QuotedKuerzelName(int i) {
    QString s = IsFreeKuerzel(i) ? QString() : KuerzelName(i);
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

int FindKuerzel(TKueart k, const QString& s) {
    if (k >= StoredKueArten) return 0;
    const QByteArray wanted = Codec1252::encode(s).left(10);
    for (int i = KueFirst[k]; i <= KueLast[k]; ++i)
        if (KueNames[size_t(i)].bytes() == wanted) return i;
    return KueFirst[k];
}

TKueart KueArtOfName(const QString& s) {
    const QByteArray wanted = Codec1252::encode(s).left(10);
    for (int k = 0; k < StoredKueArten; ++k)
        for (int i = KueFirst[size_t(k)]; i <= KueLast[size_t(k)]; ++i)
            if (KueNames[size_t(i)].bytes() == wanted) return TKueart(k);
    return err;
}

bool KuerzelExists(TKueart k, const QString& s) {
    if (k >= StoredKueArten) return false;
    const QByteArray wanted = trimBytes(Codec1252::encode(s).left(10));
    for (int i = KueFirst[k] + 1; i <= KueLast[k]; ++i)
        if (trimBytes(KueNames[size_t(i)].bytes()) == wanted) return true;
    return false;
}

namespace {
// A blank name counts as free like the dots: one malformed entry must not
// hide its whole kind from navigation.
bool isFreeName(const tKueStr& n) { return n.startsWith('.') || trimBytes(n.bytes()).isEmpty(); }

// Sort key: free entries get byte 255 in front so that they follow every name.
QByteArray sortKey(const tKueStr& n) {
    QByteArray b = n.bytes();
    if (isFreeName(n)) {
        if (b.isEmpty()) b = QByteArray(1, char(0xFF));
        else b[0] = char(0xFF);
    }
    return b;
}

bool byteLess(const QByteArray& a, const QByteArray& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (uint8_t(a[i]) != uint8_t(b[i])) return uint8_t(a[i]) < uint8_t(b[i]);
    return a.size() < b.size();
}

void setPseudo(int index, const char* text) {
    tKueStr& n = KueNames[size_t(index)];
    const QByteArray t(text);
    for (qsizetype c = 0; c < t.size() && c < 10; ++c) n.ch[size_t(c)] = uint8_t(t[c]);
    // Length 10: the last characters are those the entry held before.
    n.len = 10;
}
}  // namespace

void LoadAllKuerzel() {
    TWplFile* file = CurrentPlanFile();
    const int width = std::clamp(KueWidth, 0, 10);
    for (int i = 0; i <= KueLastChecked; ++i) {
        tKueStr& n = KueNames[size_t(i)];
        n.len = uint8_t(width);
        for (int c = 0; c < width; ++c) n.ch[size_t(c)] = '.';
    }
    for (int k = 0; k < StoredKueArten; ++k) {
        const int first = KueFirst[size_t(k)], last = KueLast[size_t(k)];
        for (int i = first; i < last; ++i) KueOrder[size_t(i)] = int16_t(first);
        KueOrder[size_t(last)] = int16_t(last);
        int count = 0;
        for (int n = 1; n <= last - first - 1; ++n) {
            const int i = first + n;
            tKueStr name = file ? file->ReadKuerzel(TKueart(k), int16_t(n)) : tKueStr::dots();
            KueOrder[size_t(i)] = int16_t(i);
            if (!isFreeName(name)) {
                ++count;
                const QChar c = Codec1252::decode(QByteArray(1, char(name.ch[0])))[0];
                if (!c.isLetterOrNumber()) name.ch[0] = 'X';
            }
            KueNames[size_t(i)] = name;
        }
        KueNames[size_t(first)] = tKueStr::dots();
        KueNames[size_t(last)] = tKueStr::dashes();
        KueCount[size_t(k)] = count;
        std::stable_sort(KueOrder.begin() + first + 1, KueOrder.begin() + last, [](int16_t a, int16_t b) {
            return byteLess(sortKey(KueNames[size_t(a)]), sortKey(KueNames[size_t(b)]));
        });
    }
    int widest = 0;
    for (int k = 0; k < StoredKueArten; ++k)
        for (int i = FirstKuerzel(TKueart(k)); !IsFreeKuerzel(i); i = NextKuerzel(i))
            widest = std::max<int>(widest, int(trimBytes(KueNames[size_t(i)].bytes()).size()));
    KueWidth = std::min(widest, 10);
    setPseudo(1329, "Ber.  ");
    setPseudo(1330, "frei  ");
    setPseudo(1331, "xxxxxx");
}

#include "uAbteilung.h"
#include "uFach.h"
#include "uKlasse.h"
#include "uKopplung.h"
#include "uLehrer.h"
#include "uRaum.h"
#include "uRaumgruppe.h"

void LoadKuerzelData(TKueart k, uint8_t* Data, int i) {
    switch (k) {
    case leh: Lehrer::Load(Data, i); break;
    case kla: Klasse::Load(Data, i); break;
    case rau: Raum::Load(Data, i); break;
    case fac: Fach::Load(Data, i); break;
    case kop: Kopplung::Load(Data, i); break;
    case abt: Abteilung::Load(Data, i); break;
    case raq: Raumgruppe::Load(Data, i); break;
    default: break;
    }
}

void NewKuerzelData(TKueart k, uint8_t* Data, int i) {
    switch (k) {
    case leh: Lehrer::NewRecord(Data, i); break;
    case kla: Klasse::NewRecord(Data, i); break;
    case rau: Raum::NewRecord(Data, i); break;
    case fac: Fach::NewRecord(Data, i); break;
    case kop: Kopplung::NewRecord(Data, i); break;
    case abt: Abteilung::NewRecord(Data, i); break;
    case raq: Raumgruppe::NewRecord(Data, i); break;
    default: break;
    }
}
