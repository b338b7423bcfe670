// The column stream reader and the grid's text conversions on arbitrary input.
#include "DataGridkv.h"
#include "Exceptions.h"
#include "GridConversions.h"

#include <QApplication>
#include <QBuffer>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        TDataGridColumns columns(nullptr);
        QBuffer buf;
        buf.setData(bytes);
        buf.open(QIODevice::ReadOnly);
        try {
            columns.LoadFromStream(buf);
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            columns.SaveToStream(out);
        } catch (const EReadError&) {
        }
    }
    const QString text = QString::fromUtf8(bytes);
    double v = 0;
    if (gridconv::TryStrToFloat(text, v)) gridconv::FloatToStr(v);
    QDate d;
    gridconv::TryStrToDate(text, d);
    QDateTime dt;
    gridconv::TryStrToDateTime(text, dt);
    // The input as a display mask.
    gridconv::FormatFloat(text.left(64), 1234.5678);
    gridconv::FormatFloat(text.left(64), -0.5);
    gridconv::FormatDateTime(text.left(64), QDateTime(QDate(2015, 3, 4), QTime(9, 5, 7)));
    return 0;
}
