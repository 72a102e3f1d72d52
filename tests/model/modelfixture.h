#pragma once

// Shared helpers of the slide-model tests: a project folder and a folder
// outside it in a fresh temporary folder, files with known contents, and
// pictures made with QImage.
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

class ModelFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
        project = root + "project/";
        outside = root + "outside/";
        std::filesystem::create_directories(project);
        std::filesystem::create_directories(outside);
        list.ProjectFolder = project;
    }

    static void WriteFile(const std::string& path, const std::string& content)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    static void MakeImage(const std::string& path, int width, int height,
                          QColor color = QColor(200, 40, 40), const char* format = nullptr)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(QString::fromStdString(path), format)) << path;
    }

    static void SetTime(const std::string& path, std::filesystem::file_time_type time)
    {
        std::filesystem::last_write_time(path, time);
    }

    // An image cell of the list naming files in the project folder.
    CCellBmpInfo* AddImageCell(const std::string& file, const std::string& thumb = {},
                               uint32_t flags = 0, const std::string& disp = {})
    {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = file;
        cell->ThumbFileName = thumb;
        cell->DispFileName = disp;
        cell->RefFilePath = root + "source.jpg";
        cell->RefPage = 1;
        cell->StateFlags = flags;
        CCellBmpInfo* raw = cell.get();
        list.Append(std::move(cell));
        return raw;
    }

    CCellCtrlInfo* AddControlCell(uint32_t flags = 0)
    {
        auto cell = std::make_unique<CCellCtrlInfo>();
        cell->StateFlags = flags;
        CCellCtrlInfo* raw = cell.get();
        list.Append(std::move(cell));
        return raw;
    }

    std::string root;
    std::string project;
    std::string outside;
    CCellInfoList list;

private:
    QTemporaryDir m_dir;
};
