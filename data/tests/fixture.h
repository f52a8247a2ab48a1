#pragma once
// A fresh data folder in a temporary directory for each test, and scripted answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "data/context.h"
#include "data/globals.h"
#include "framework/answer.h"
#include "framework/errorclass.h"

namespace tavlo::testing {

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-test-XXXXXX";
        dir = mkdtemp(pattern);
        setDataFolder(dir);
        GLO::OWNERNAME = GLO::kOwnerPassword;
        GLO::setArchiveMode(false);
        errors.setAnswers(&answers);
    }
    void TearDown() override
    {
        setDataFolder(".");
        std::filesystem::remove_all(dir);
    }

    std::string path(const std::string& file) const { return dir + "/" + file; }
    std::string bytesOf(const std::string& file) const
    {
        std::ifstream in(path(file), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Titles of the messages shown so far.
    std::vector<std::string> titles() const
    {
        std::vector<std::string> t;
        for (const auto& m : answers.shown)
            t.push_back(m.caption);
        return t;
    }

    std::string dir;
    ScriptedAnswers answers;
    ErrorClass errors{&answers};
};

} // namespace tavlo::testing
