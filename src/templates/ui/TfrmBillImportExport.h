#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace core {
class AppContext;
}

namespace templates::ui {

// "导入、导出票据格式": templates into the store from a package file, and out of it into one.
// The export page is shown openly. The work is done by PackageTransfer; this window only chooses.
class TfrmBillImportExport final : public QDialog {
    Q_OBJECT
public:
    enum class Pages { Both, ImportOnly, ExportOnly };
    TfrmBillImportExport(core::AppContext& app, Pages pages, QWidget* parent = nullptr);

    // True after at least one template was imported, so the caller refreshes what shows templates.
    bool importedAny() const { return m_importedAny; }

    void btBrowseImportClick();
    void btImportClick();
    void btBrowseExportClick();
    void btExportClick();
    void loadExistsChecks();

signals:
    // After an import that added at least one template, while the window is still open, so that
    // open windows listing templates follow at once.
    void templatesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildImportPage();
    QWidget* buildExportPage();
    // By value: the window passes its own m_package, which this clears first.
    void loadPackageChecks(QString path);
    void showPackageImage(const QString& name);
    void showStoreImage(const QString& name);

    core::AppContext& m_app;
    bool m_importedAny = false;
    QString m_package;
    QTabWidget* m_pages;
    QLineEdit* edtImportBillsFile;
    QListWidget* lstImpFrom;
    QListWidget* lstImpSel;
    QPushButton* btImpSel;
    QPushButton* btImpSelAll;
    QPushButton* btImpClear;
    QPushButton* btImport;
    QLabel* lbProcessIn;
    QListWidget* listExpExists;
    QListWidget* ListExpSel;
    QLineEdit* edtExportFolder;
    QPushButton* btExport;
    QLabel* lbProcessOut;
};

} // namespace templates::ui
