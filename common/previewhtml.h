#pragma once
// A window that shows a web page (the version history of an update).
#include "HttpClient.h"

#include <QDialog>
#include <QTextBrowser>
#include <QUrl>
#include <memory>

namespace Ui { class TfrmPreviewHTML; }

// A text browser that also fetches http and https pages and their pictures.
class THtmlBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit THtmlBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    THttpClient FHttp;
};

class TfrmPreviewHTML : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString Url READ Url WRITE SetUrl)
public:
    explicit TfrmPreviewHTML(QWidget* aOwner = nullptr);
    ~TfrmPreviewHTML() override;

    QString Url() const { return FUrl; }
    // Stores the address and shows the page.
    void SetUrl(const QString& aUrl);

    Ui::TfrmPreviewHTML* ui() const { return FUi.get(); }

private:
    void SpeedButton1Click();
    std::unique_ptr<Ui::TfrmPreviewHTML> FUi;
    QString FUrl;
};
