#pragma once

#include "imports/RecipientImport.h"

#include <QDialog>
#include <QHash>
#include <QVector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace core {
class AppContext;
}

namespace imports::ui {

class ImportRunPanel;
class WorkbookSource;

// "青木鸟软件-收、发件人资料导入": a sheet of recipients or senders into the address book or
// into the batch recipient list, its columns matched to the items automatically and
// corrected in the choosers, duplicates skipped by the chosen criteria.
class TfrmImportMatch final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImportMatch(core::AppContext& app, QWidget* parent = nullptr);
    ~TfrmImportMatch() override;
    Q_DISABLE_COPY_MOVE(TfrmImportMatch)

    // The address-book manager opens it on the address book with the choice locked.
    void setScenario(RecipientImport::Scenario scenario, bool changeable);
    RecipientImport::Scenario scenario() const;

    // Opens a workbook as the browse button does after its file dialog.
    bool openWorkbook(const QString& path);
    ImportRunPanel& runPanel() { return *m_panel; }
    // The outcome of the last run.
    const RunResult& lastResult() const { return m_result; }

    void btStartClick();
    void btColumnCfgClick();
    void btLogClick();
    void Label25Click();
    void ckJudgeRepeatedClick(bool checked);
    void ckTypeClick(bool checked);

    static QString formatHelp();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape during a run asks to stop it, like closing.
    void reject() override;

private:
    void buildChoosers();
    void autoNewMatchProperty();
    // The column of every item from its chooser; items without one keep the automatic match.
    QVector<int> btReadyMatch() const;
    void fillGroupList();
    void fillUnitTypes();
    void scenarioChanged();
    RecipientImport::Options options() const;

    core::AppContext& m_app;
    WorkbookSource* m_source = nullptr;
    ImportRunPanel* m_panel = nullptr;
    QVector<int> m_autoColumns;
    QVector<QComboBox*> m_itemChoosers; // per item of RecipientImport::items(), null without one
    RunResult m_result;
    bool m_shown = false;

    QGroupBox* grpCase;
    QRadioButton* rdSJR;
    QRadioButton* rdMutiPrint;
    QLineEdit* ed_file;
    QPushButton* btBrowse;
    QComboBox* cboWorkSheets;
    QCheckBox* cfgWPSFirst;
    QLabel* Label25;
    QGroupBox* grpAddr;
    QGroupBox* grpMutiPrint;
    QCheckBox* ckType;
    QCheckBox* ckOrderIDOn;
    QCheckBox* ckMemeberIDOn;
    QPushButton* btColumnCfg;
    QCheckBox* ckJudgeRepeated;
    QCheckBox* ckName;
    QCheckBox* ckContactor;
    QCheckBox* ckPhone;
    QCheckBox* ckAlert;
    QCheckBox* ckReadLog;
    QPushButton* btStart;
    QPushButton* btStopIt;
    QPushButton* btLog;
    QPushButton* btHidden;
    QLabel* lblResult;
    QProgressBar* progress;
};

} // namespace imports::ui
