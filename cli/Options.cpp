#include "cli/Options.h"

#include <map>

namespace cli {

CLI::Validator WholeNumber(const std::string& option, unsigned long long nMin, unsigned long long nMax) {
    std::string range = "from " + std::to_string(nMin) + " to " + std::to_string(nMax);
    return CLI::Validator(
        [=](std::string& text) {
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
                throw CBadArgument(option + " wants a whole number " + range + ", not '" + text + "'");
            unsigned long long n = 0;
            for (char c : text) {
                unsigned digit = unsigned(c - '0');
                if (n > (nMax - digit) / 10) throw CBadArgument(option + " must be " + range);
                n = n * 10 + digit;
            }
            if (n < nMin) throw CBadArgument(option + " must be " + range);
            text = std::to_string(n);
            return std::string();
        },
        "", "WholeNumber");
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> items;
    size_t nStart = 0;
    for (;;) {
        size_t nComma = text.find(',', nStart);
        items.push_back(text.substr(nStart, nComma - nStart));
        if (nComma == std::string::npos) return items;
        nStart = nComma + 1;
    }
}

CLI::Validator CommaList(const std::string& what, const std::vector<std::string>& names) {
    std::string known;
    for (const std::string& name : names) known += (known.empty() ? "" : ", ") + name;
    return CLI::Validator(
        [=](std::string& text) {
            for (const std::string& item : SplitCommas(text)) {
                bool bKnown = false;
                for (const std::string& name : names) bKnown = bKnown || item == name;
                if (!bKnown) throw CBadArgument("unknown " + what + " '" + item + "' (" + what + "s: " + known + ")");
            }
            return std::string();
        },
        "", "CommaList");
}

std::vector<std::pair<const CLI::Option*, std::string>> OptionsInOrder(const CLI::App& app) {
    // CLI11 records an option in the parse order once per value, and keeps all values in
    // results(): the k-th time an option appears in the order is its k-th value.
    std::vector<std::pair<const CLI::Option*, std::string>> order;
    std::map<const CLI::Option*, size_t> seen;
    for (const CLI::Option* option : app.parse_order()) {
        size_t k = seen[option]++;
        const std::vector<std::string>& values = option->results();
        order.emplace_back(option, k < values.size() ? values[k] : std::string());
    }
    return order;
}

}  // namespace cli
