#include "tests/support/Recorder.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace moro_test {

std::vector<MessageRecord>& Messages() {
    static std::vector<MessageRecord> records;
    return records;
}

void ClearMessages() { Messages().clear(); }

std::string LastMessage() { return Messages().empty() ? "" : Messages().back().text; }

namespace {
class ClearEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        ClearMessages();
        platform::FailHeapAllocations(0);
    }
};
}  // namespace

void RecorderEnvironment::SetUp() {
    SetMessageBoxHandler([](const char* text, const char* caption, UINT style) {
        Messages().push_back({text ? text : "", caption ? caption : "", style});
        return IDOK;
    });
    ::testing::UnitTest::GetInstance()->listeners().Append(new ClearEachTest);
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "moro-test-XXXXXX").string();
    m_path = mkdtemp(tmpl.data()) ? tmpl : std::string();
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

std::vector<BYTE> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<BYTE>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace moro_test
