// Test support: a message-box recorder and small helpers shared by the suites.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Afx.h"

namespace moro_test {

struct MessageRecord {
    std::string text;
    std::string caption;
    UINT style;
};

// Every message box of the program ends up here while a test runs.
std::vector<MessageRecord>& Messages();
void ClearMessages();
// Text of the last message, or "" when none was shown.
std::string LastMessage();

// Installs the recorder before every test and clears it.
class RecorderEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

std::vector<BYTE> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes);
bool FileExists(const std::string& path);

}  // namespace moro_test
