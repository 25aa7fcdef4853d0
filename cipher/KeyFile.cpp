#include "cipher/KeyFile.h"

#include <cstring>
#include <set>

#include <nlohmann/json.hpp>

#include "cipher/Kernels.h"
#include "platform/File.h"
#include "platform/Rand.h"

namespace {
using nlohmann::json;

// The members a key file may have: anything else is a typing error, and would otherwise be
// ignored in silence.
const char* const kTopFields[] = {"format", "version", "seed", "generator", "steps", "key"};
const char* const kKeyFields[] = {"x0", "p0", "states", "params", "periods", "counters", "sbox"};
constexpr const char* kFormat = "moro-key";
// Root object, the key object, its arrays: values nested deeper belong to no key file.
constexpr int kMaxDepth = 3;

// What the user wrote, fit for a one-line message.
std::string Quoted(std::string_view text) {
    std::string s(text.substr(0, 40));
    for (char& c : s)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = '?';
    return "'" + s + (text.size() > 40 ? "...'" : "'");
}

void AppendRow(std::string& out, const char* name, const auto* values, bool bLast) {
    out += "    \"";
    out += name;
    out += "\": [";
    for (int i = 0; i < 256; ++i) {
        out += i % 16 ? " " : "\n      ";
        out += std::to_string(unsigned(values[i]));
        if (i < 255) out += ",";
    }
    out += bLast ? "\n    ]\n" : "\n    ],\n";
}

// Reads one member; each returns false with the reason in error.
class CReader {
public:
    explicit CReader(std::string& error) : m_error(error) {}

    bool Fail(const std::string& reason) {
        m_error = reason;
        return false;
    }

    bool Whole(const json& v, const std::string& name, uint64_t nMin, uint64_t nMax, uint64_t& n) {
        std::string range = std::to_string(nMin) + " to " + std::to_string(nMax);
        if (!v.is_number_unsigned()) return Fail(name + " must be a whole number from " + range);
        n = v.get<uint64_t>();
        if (n < nMin || n > nMax) return Fail(name + " is " + std::to_string(n) + ", out of range (" + range + ")");
        return true;
    }

    template <class T>
    bool Row(const json& parent, const char* name, uint64_t nMin, uint64_t nMax, T* out) {
        std::string path = std::string("key.") + name;
        const json& v = parent.at(name);
        if (!v.is_array()) return Fail(path + " must be an array of 256 whole numbers");
        if (v.size() != 256) return Fail(path + " has " + std::to_string(v.size()) + " entries; it needs 256");
        for (size_t i = 0; i < 256; ++i) {
            uint64_t n = 0;
            if (!Whole(v[i], path + "[" + std::to_string(i) + "]", nMin, nMax, n)) return false;
            out[i] = T(n);
        }
        return true;
    }

    // Every member present and known.
    bool Members(const json& object, const char* const* names, size_t nNames, const std::string& prefix) {
        for (const auto& item : object.items()) {
            bool bKnown = false;
            for (size_t i = 0; i < nNames; ++i) bKnown = bKnown || item.key() == names[i];
            if (!bKnown) return Fail("has an unknown field " + Quoted(prefix + item.key()));
        }
        for (size_t i = 0; i < nNames; ++i)
            if (!object.contains(names[i]) && std::strcmp(names[i], "seed") != 0)
                return Fail("has no field '" + prefix + names[i] + "'");
        return true;
    }

private:
    std::string& m_error;
};

bool ReadKey(CReader& r, const json& k, KeyState& key) {
    if (!k.is_object()) return r.Fail("key must be an object");
    if (!r.Members(k, kKeyFields, std::size(kKeyFields), "key.")) return false;
    uint64_t x0 = 0, p0 = 0;
    if (!r.Whole(k["x0"], "key.x0", 0, 65535, x0) || !r.Whole(k["p0"], "key.p0", 0, 65535, p0)) return false;
    key.x0 = WORD(x0);
    key.p0 = WORD(p0);
    if (!r.Row(k, "states", 0, 65535, key.states) || !r.Row(k, "params", 0, 65535, key.params) ||
        !r.Row(k, "periods", 1, 256, key.periods) || !r.Row(k, "counters", 0, 65535, key.counters) ||
        !r.Row(k, "sbox", 0, 255, key.sbox))
        return false;
    if (!IsPermutation(key.sbox)) {
        bool seen[256] = {};
        for (int i = 0; i < 256; ++i) {
            if (seen[key.sbox[i]]) return r.Fail("key.sbox is not a permutation: " + std::to_string(key.sbox[i]) + " appears twice");
            seen[key.sbox[i]] = true;
        }
    }
    return true;
}

bool ReadSteps(CReader& r, const json& v, std::vector<CipherStep>& steps) {
    if (!v.is_array()) return r.Fail("steps must be an array of step names");
    if (v.size() > kKeyFileMaxSteps) return r.Fail("has " + std::to_string(v.size()) + " steps; at most " + std::to_string(kKeyFileMaxSteps) + " are allowed");
    steps.clear();
    for (size_t i = 0; i < v.size(); ++i) {
        CipherStep step;
        std::string at = "steps[" + std::to_string(i) + "]";
        if (!v[i].is_string()) return r.Fail(at + " must be a step name");
        if (!FindCipherStep(v[i].get_ref<const std::string&>(), step))
            return r.Fail(at + " " + Quoted(v[i].get_ref<const std::string&>()) + " is not a step (stream, subst, frame, frame-stream, init)");
        steps.push_back(step);
    }
    return true;
}

// Whether srand(seed) and InitKey make exactly this key and leave the generator in this state.
bool SeedMakes(uint32_t seed, const KeyFile& file) {
    const uint32_t saved = crt::GetRandState();
    crt::srand(seed);
    KeyState made;
    InitKey(made);
    const bool bSame = std::memcmp(&made, &file.key, sizeof made) == 0 && crt::GetRandState() == file.randState;
    crt::SetRandState(saved);
    return bSame;
}

// JSON that nlohmann would take but that is ambiguous or absurd for a key file: a member named twice
// (which one holds?) and values nested deeper than a key file nests them.
struct CStructureCheck {
    std::vector<std::set<std::string>> keys;  // the member names seen, per open object level
    std::string problem;

    bool operator()(int depth, json::parse_event_t event, json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start:
            case json::parse_event_t::array_start:
                if (depth >= kMaxDepth) {
                    if (problem.empty()) problem = "nests values deeper than a key file does";
                    return false;
                }
                if (event == json::parse_event_t::object_start) {
                    keys.resize(size_t(depth) + 1);
                    keys[size_t(depth)].clear();
                }
                return true;
            case json::parse_event_t::key:
                if (depth >= 1 && size_t(depth) <= keys.size() && !keys[size_t(depth) - 1].insert(parsed.get<std::string>()).second &&
                    problem.empty())
                    problem = "names the field " + Quoted(parsed.get<std::string>()) + " twice";
                return true;
            default: return true;
        }
    }
};
}  // namespace

KeyFile KeyFileNow(const KeyState& key, bool bSeeded, uint32_t seed) {
    KeyFile file;
    file.key = key;
    file.randState = crt::GetRandState();
    file.bSeeded = bSeeded;
    file.seed = seed;
    return file;
}

std::string FormatKeyFile(const KeyFile& file) {
    std::string out = "{\n  \"format\": \"";
    out += kFormat;
    out += "\",\n  \"version\": " + std::to_string(kKeyFileVersion) + ",\n";
    if (file.bSeeded) out += "  \"seed\": " + std::to_string(file.seed) + ",\n";
    out += "  \"generator\": " + std::to_string(file.randState) + ",\n  \"steps\": [";
    for (size_t i = 0; i < file.steps.size(); ++i) {
        out += i ? ", \"" : "\"";
        out += GetCipherStepName(file.steps[i]);
        out += "\"";
    }
    out += "],\n  \"key\": {\n";
    out += "    \"x0\": " + std::to_string(file.key.x0) + ",\n    \"p0\": " + std::to_string(file.key.p0) + ",\n";
    AppendRow(out, "states", file.key.states, false);
    AppendRow(out, "params", file.key.params, false);
    AppendRow(out, "periods", file.key.periods, false);
    AppendRow(out, "counters", file.key.counters, false);
    AppendRow(out, "sbox", file.key.sbox, true);
    out += "  }\n}\n";
    return out;
}

bool ParseKeyFile(std::string_view text, KeyFile& file, std::string& error) {
    CReader r(error);
    if (text.size() > kKeyFileMaxBytes) return r.Fail("is larger than 1 MiB; a key file is about 10 KiB");
    CStructureCheck check;
    json root;
    try {
        root = json::parse(text.begin(), text.end(), std::ref(check));
    } catch (const json::parse_error& e) {
        if (e.byte > text.size()) return r.Fail("ends in the middle of its JSON (cut short?)");
        return r.Fail("is not valid JSON (at byte " + std::to_string(e.byte) + ")");
    } catch (const json::exception&) {
        return r.Fail("is not valid JSON");
    }
    if (!check.problem.empty()) return r.Fail(check.problem);
    if (!root.is_object()) return r.Fail("is not a MORO key file (no JSON object)");
    if (!root.contains("format") || root["format"] != kFormat) return r.Fail("is not a MORO key file (its format is not \"moro-key\")");
    if (!root.contains("version")) return r.Fail("has no field 'version'");
    const json& version = root["version"];
    if (!version.is_number_integer() || version.get<int64_t>() != kKeyFileVersion)
        return r.Fail("is of version " + Quoted(version.dump()) + "; this MORO reads version " + std::to_string(kKeyFileVersion));
    if (!r.Members(root, kTopFields, std::size(kTopFields), "")) return false;

    uint64_t n = 0;
    if (!r.Whole(root["generator"], "generator", 0, 0xFFFFFFFFull, n)) return false;
    file.randState = uint32_t(n);
    file.bSeeded = root.contains("seed");
    if (file.bSeeded) {
        if (!r.Whole(root["seed"], "seed", 0, 0xFFFFFFFFull, n)) return false;
        file.seed = uint32_t(n);
    }
    if (!ReadSteps(r, root["steps"], file.steps) || !ReadKey(r, root["key"], file.key)) return false;
    if (file.bSeeded && !SeedMakes(file.seed, file))
        return r.Fail("does not match its seed: seed " + std::to_string(file.seed) +
                      " makes another key or generator state (remove \"seed\" to use the key as it stands)");
    return true;
}

bool LoadKeyFile(const char* path, KeyFile& file, std::string& error) {
    CFile in;
    if (!path || !in.Open(path, CFile::modeRead | CFile::typeBinary)) {
        error = "cannot be opened";
        return false;
    }
    std::string text(kKeyFileMaxBytes + 1, '\0');
    try {
        text.resize(in.Read(text.data(), UINT(text.size())));
    } catch (const CFileException&) {
        error = "cannot be read";
        return false;
    }
    return ParseKeyFile(text, file, error);
}

bool SaveKeyFile(const char* path, const KeyFile& file, std::string& error) {
    CReplaceFile out;
    if (!path || !out.OpenForReplace(path)) {
        error = "cannot be created";
        return false;
    }
    std::string text = FormatKeyFile(file);
    try {
        out.Write(text.data(), UINT(text.size()));
        out.Commit();
    } catch (const CFileException&) {
        error = "could not be written";
        return false;
    }
    return true;
}
