#include "previewhtml.h"

#include "Guards.h"
#include "VeltraArtwork.h"
#include "ui_previewhtml.h"

#include <QPrintDialog>
#include <QPrinter>

THtmlBrowser::THtmlBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
    FHttp.Accept = QStringLiteral("text/html, */*");
}

QVariant THtmlBrowser::loadResource(int type, const QUrl& name) {
    const QString scheme = name.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return QTextBrowser::loadResource(type, name);
    THttpResult r;
    {
        HourglassGuard hourglass;
        r = FHttp.Get(name.toString());
    }
    if (type == QTextDocument::HtmlResource) {
        if (!r.Ok)
            return QStringLiteral("<html><body><h3>Die Seite konnte nicht geladen werden.</h3><p>%1</p><p>%2</p></body></html>")
                .arg(name.toString().toHtmlEscaped(), r.ErrorText.toHtmlEscaped());
        return THttpClient::DecodeText(r.Body, r.ContentType);
    }
    if (!r.Ok) return {};
    if (type == QTextDocument::StyleSheetResource) return THttpClient::DecodeText(r.Body, r.ContentType);
    return r.Body;  // pictures: the document decodes the bytes itself
}

TfrmPreviewHTML::TfrmPreviewHTML(QWidget* aOwner) : QDialog(aOwner), FUi(std::make_unique<Ui::TfrmPreviewHTML>()) {
    FUi->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    FUi->SpeedButton1->setIcon(VeltraArtwork::PrintIcon());
    connect(FUi->SpeedButton1, &QToolButton::clicked, this, [this] { RunAction([this] { SpeedButton1Click(); }); });
    connect(FUi->btnOk, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmPreviewHTML::~TfrmPreviewHTML() = default;

void TfrmPreviewHTML::SetUrl(const QString& aUrl) {
    FUrl = aUrl;
    FUi->WebBrowser1->setSource(QUrl(aUrl), QTextDocument::HtmlResource);
}

void TfrmPreviewHTML::SpeedButton1Click() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    if (dialog.exec() == QDialog::Accepted) FUi->WebBrowser1->print(&printer);
}
