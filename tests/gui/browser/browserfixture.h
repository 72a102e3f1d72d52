#pragma once

// The browser panes in a main window over a temporary folder that stands as
// a disk of its own, shared by the browser's widget tests.
#include "gui/browser/browserpanes.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/folderdlgbar.h"
#include "presentation/testcompound.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QImage>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

class BrowserPanes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = m_dir.path().toStdString() + "/";
        // The test's folder stands as a disk of its own at the top.
        CVolumeList::Volume disk;
        disk.root = m_root;
        disk.label = "Test disk";
        m_volumes.push_back(disk);
        m_panes = new CBrowserPanes(m_frame, nullptr, &m_prompt);
        m_panes->SetVolumeSource([this] { return m_volumes; });
        m_panes->SetWatchDelay(100);
        m_frame.resize(1000, 700);
        m_frame.show();
    }
    void TearDown() override { delete m_panes; }

    std::string Path(const std::string& name) const { return m_root + name; }
    void MakeFolder(const std::string& name)
    {
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path(name))));
    }
    void MakePhoto(const std::string& name)
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(QString::fromStdString(Path(name)), "JPG"));
    }
    void MakePresentation(const std::string& name)
    {
        QByteArray user(40, '\0');
        PutU32(user, 12, 0xE391C05Fu);
        PutU16(user, 22, 1012);
        user[24] = 3;
        ASSERT_TRUE(WriteCompoundFile(Path(name), {{"Current User", user}}));
    }
    CFileDlgBar* Files() const { return m_panes->FileBar(); }
    CDirTreeCtrl* Tree() const { return m_panes->FolderBar()->Tree(); }
    int RowOf(const std::string& name) const
    {
        CFileListModel& model = Files()->Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.EntryAt(row)->Name == name)
                return row;
        }
        return -1;
    }
    // The tree's node of `path` once the tree has read the way to it
    // (invalid when it never comes).
    QModelIndex Node(const std::string& path) const
    {
        if (!Tree()->IndexOf(path).isValid())
            Tree()->Reveal(path);
        for (int i = 0; i < 500 && !Tree()->IndexOf(path).isValid(); ++i)
            QTest::qWait(10);
        return Tree()->IndexOf(path);
    }
    std::vector<std::string> ChildNames(const QModelIndex& index) const
    {
        std::vector<std::string> names;
        for (int i = 0; index.isValid() && i < Tree()->Model().rowCount(index); ++i)
            names.push_back(CDirTreeCtrl::NameOf(Tree()->Model().index(i, 0, index)));
        return names;
    }
    // Lets queued change notices and timers run for a while.
    static void Settle(int milliseconds = 400) { QTest::qWait(milliseconds); }

    QTemporaryDir m_dir;
    std::string m_root;
    QMainWindow m_frame;
    CScriptedPrompt m_prompt;
    std::vector<CVolumeList::Volume> m_volumes;
    CBrowserPanes* m_panes = nullptr;
};
