#pragma once

#include "show/videoexport.h"

#include <QDialog>
#include <memory>
#include <string>

class CCellInfoList;
class CShowSequence;
class CUserPrompt;
class CVideoExportJob;
class QLineEdit;
class QSpinBox;

// The choices of a video export: the file (its extension gives the
// format), the frame size, the frame rate, how long a slide that waits for
// the remote control lasts, and the quality. OK checks them and the show
// before the dialog closes; a refusal leaves the dialog open.
class CExportVideoDlg : public QDialog
{
    Q_OBJECT
public:
    // `what` names the show in messages; `file` is proposed.
    CExportVideoDlg(const CShowSequence& sequence, const std::string& what, const std::string& file,
                    CUserPrompt* prompt, QWidget* parent = nullptr);

    // File > Export as Video for a project: asks, then starts the export on
    // a worker (null when the user cancelled).
    static CVideoExportJob* ExportProject(const CCellInfoList& cells, uint32_t backColor,
                                          const std::string& name, const std::string& projectFile,
                                          CUserPrompt* prompt, QWidget* parent);

    // The export OK accepted, ready to run (null before).
    std::unique_ptr<CVideoExport> TakeExport() { return std::move(m_export); }
    CVideoExport::Options Options() const;
    QLineEdit* FileEdit() const { return m_file; }

    void accept() override;

private:
    void Browse();

    const CShowSequence& m_sequence;
    std::string m_what;
    CUserPrompt* m_prompt;
    std::unique_ptr<CVideoExport> m_export;
    QLineEdit* m_file = nullptr;
    QSpinBox* m_width = nullptr;
    QSpinBox* m_height = nullptr;
    QSpinBox* m_fps = nullptr;
    QSpinBox* m_wait = nullptr;
    QSpinBox* m_quality = nullptr;
};
