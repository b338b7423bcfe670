// Draws the product pictures of the common library (about box, update window,
// preview window) and writes them as PNG files into common/images/.
// Run through make_artwork.sh; the PNGs are committed, so the build needs nothing of this.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
const QColor kNavy(0x1F, 0x3A, 0x5F);
const QColor kBlue(0x2E, 0x6D, 0xA4);
const QColor kTeal(0x3F, 0xA7, 0x9A);
const QColor kPaper(0xF7, 0xF4, 0xEC);
const QColor kAmber(0xF2, 0xB1, 0x34);

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void card(QPainter& p, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kBlue);
    g.setColorAt(1, kNavy);
    QPainterPath path;
    path.addRoundedRect(r, 10, 10);
    p.fillPath(path, g);
    // A soft light from the upper left.
    QRadialGradient shine(r.left() + r.width() * 0.25, r.top() + r.height() * 0.15, r.width() * 0.9);
    shine.setColorAt(0, QColor(255, 255, 255, 60));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(path, shine);
}

// An open book whose pages rise into a "V".
void bookMark(QPainter& p, const QPointF& c, qreal s) {
    p.save();
    p.translate(c);
    p.scale(s, s);
    QPainterPath left, right;
    left.moveTo(0, 30);
    left.cubicTo(-14, 20, -32, 18, -46, 22);
    left.lineTo(-46, -18);
    left.cubicTo(-32, -22, -14, -20, 0, -10);
    left.closeSubpath();
    right = QTransform::fromScale(-1, 1).map(left);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawPath(left);
    p.setBrush(QColor(0xE4, 0xDE, 0xCF));
    p.drawPath(right);
    // The "V" rising from the spine.
    QPainterPath v;
    v.moveTo(-30, -58);
    v.lineTo(-17, -58);
    v.lineTo(0, -22);
    v.lineTo(17, -58);
    v.lineTo(30, -58);
    v.lineTo(0, 4);
    v.closeSubpath();
    QLinearGradient vg(0, -58, 0, 4);
    vg.setColorAt(0, kAmber);
    vg.setColorAt(1, QColor(0xE0, 0x8A, 0x1E));
    p.setBrush(vg);
    p.drawPath(v);
    // Lines of text on the pages.
    p.setPen(QPen(QColor(0x9A, 0xA8, 0xB8), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = -4 + i * 8;
        p.drawLine(QPointF(-38, y - 1), QPointF(-10, y + 5));
        p.drawLine(QPointF(38, y - 1), QPointF(10, y + 5));
    }
    p.restore();
}

void caption(QPainter& p, const QRectF& r, const QString& big, const QString& small) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setBold(true);
    f.setPixelSize(24);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(r.left(), r.bottom() - 62, r.width(), 30), Qt::AlignHCenter | Qt::AlignVCenter, big);
    QFont g(QStringLiteral("DejaVu Sans"));
    g.setPixelSize(11);
    g.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    p.setFont(g);
    p.setPen(QColor(0xCF, 0xE3, 0xF2));
    p.drawText(QRectF(r.left(), r.bottom() - 32, r.width(), 18), Qt::AlignHCenter | Qt::AlignVCenter, small);
}

QImage productLogo() {
    QImage img = canvas(161, 209);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(4, 4, 153, 201);
    card(p, r);
    bookMark(p, QPointF(r.center().x(), 92), 1.2);
    caption(p, r, QStringLiteral("Veltra"), QStringLiteral("SCHULSOFTWARE"));
    return img;
}

QImage contactLogo() {
    QImage img = canvas(160, 201);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(4, 4, 152, 193);
    card(p, r);
    // An envelope with a speech bubble: "write to us".
    p.save();
    p.translate(r.center().x(), 84);
    QRectF env(-42, -22, 84, 56);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRoundedRect(env, 5, 5);
    p.setPen(QPen(QColor(0xB9, 0xB2, 0xA0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({env.topLeft() + QPointF(4, 4), QPointF(0, 10), env.topRight() + QPointF(-4, 4)}));
    p.drawLine(env.bottomLeft() + QPointF(5, -5), QPointF(-10, 6));
    p.drawLine(env.bottomRight() + QPointF(-5, -5), QPointF(10, 6));
    QPainterPath bubble;
    bubble.addEllipse(QPointF(30, -40), 22, 17);
    QPainterPath tail;
    tail.moveTo(18, -28);
    tail.lineTo(12, -16);
    tail.lineTo(28, -25);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawPath(bubble.united(tail));
    p.setBrush(Qt::white);
    for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(30 + i * 9, -40), 2.6, 2.6);
    p.restore();
    caption(p, r, QStringLiteral("Kontakt"), QStringLiteral("WIR HELFEN GERN"));
    return img;
}

QImage updateImage() {
    QImage img = canvas(64, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(24, 20, 44);
    g.setColorAt(0, kTeal.lighter(125));
    g.setColorAt(1, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, 58, 58));
    // A tray and an arrow coming down into it.
    p.setPen(QPen(Qt::white, 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(19, 38), QPointF(19, 45), QPointF(45, 45), QPointF(45, 38)}));
    p.drawLine(QPointF(32, 15), QPointF(32, 36));
    p.drawPolyline(QPolygonF({QPointF(23, 28), QPointF(32, 37), QPointF(41, 28)}));
    return img;
}

QImage printIcon() {
    QImage img = canvas(20, 20);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavy, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 1.5, 9, 6));           // paper in
    p.setBrush(QColor(0x8A, 0x9B, 0xAE));
    p.drawRoundedRect(QRectF(1.5, 6.5, 17, 8), 2, 2);  // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 11.5, 9, 7));          // paper out
    p.setPen(QPen(QColor(0x9A, 0xA8, 0xB8), 1));
    p.drawLine(QPointF(7, 14.5), QPointF(13, 14.5));
    p.drawLine(QPointF(7, 16.5), QPointF(12, 16.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawEllipse(QPointF(15.5, 9), 1, 1);
    return img;
}
}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("common/images");
    QDir().mkpath(out);
    const bool ok = productLogo().save(out + QStringLiteral("/logo.png")) &&
                    contactLogo().save(out + QStringLiteral("/contact.png")) &&
                    updateImage().save(out + QStringLiteral("/update.png")) &&
                    printIcon().save(out + QStringLiteral("/print.png"));
    return ok ? 0 : 1;
}
