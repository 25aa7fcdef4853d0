// Argument helpers shared by moro-cli's commands.
#pragma once

#include <string>
#include <vector>

#include "cli/Command.h"

class CDib;

namespace cli {

// Parses a decimal number without sign, at most nMax; false for anything else.
bool ParseUnsigned(const std::string& text, unsigned long long nMax, unsigned long long& nValue);

// Walks the arguments: positional ones are collected, "--name value" and "--flag" options are
// handed to the command.  Reports unknown options and missing values as usage errors.
class ArgReader {
public:
    ArgReader(const Command& command, const std::vector<std::string>& args) : m_command(command), m_args(args) {}
    // Advances to the next option; false at the end.  Positional arguments are set aside.
    bool NextOption(std::string& name);
    // The value of the current option ("--seed 5"); false (and a usage message) when missing.
    bool Value(std::string& value);
    // Reads the current option's value as an unsigned number of at most nMax.
    bool UnsignedValue(unsigned long long nMax, unsigned long long& nValue);
    const std::vector<std::string>& Positional() const { return m_positional; }
    // Prints the usage error and returns kExitUsage.
    int Fail(const std::string& message);
    bool Failed() const { return m_bFailed; }

private:
    const Command& m_command;
    const std::vector<std::string>& m_args;
    size_t m_nNext = 0;
    std::string m_current;
    std::vector<std::string> m_positional;
    bool m_bFailed = false;
};

// Image files by their extension: .bmp, .cpr, .raw (any other is read and written as BMP).
enum class FileKind { Bmp, Cpr, Raw, Unknown };
FileKind KindOf(const std::string& path);
// What a library error code means, for messages.
const char* ErrorText(int nError);

struct SaveOptions {
    short nScale = 50;      // CPR quantisation scale
    bool bColour = false;   // CPR: three colour planes for a 24-bit image
    bool bNoHeader = false; // raw: no size header (only for 256 x 256 images)
};

// Load and save by extension; a failure is explained on standard error (after the library's
// own message, when it shows one) and gives false.
bool LoadOrExplain(CDib& dib, const std::string& path, bool bNoHeader = false);
bool SaveOrExplain(CDib& dib, const std::string& path, const SaveOptions& options);
// BMP files only, whatever the extension.
bool LoadBmpOrExplain(CDib& dib, const std::string& path);
bool SaveBmpOrExplain(CDib& dib, const std::string& path);

}  // namespace cli
