// moro-cli attack: the two classic attacks on the cipher's modes, run in front of a class.
//
// known-plaintext: mode 1 XORs a key stream that depends on the key alone, so one plain image and
// its encryption give the key stream, which decrypts every other image under the same key.
// chosen-plaintext: mode 2 is one fixed substitution, so the encryption of an image holding every
// byte value lists the whole S-box, whose inverse decrypts every image under the same key.
#include <cstdio>
#include <ctime>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "dib/Dib.h"
#include "platform/Rand.h"

namespace {

size_t RowBytes(const CDib& dib) {
    return dib.m_lpBits && dib.m_nHeight > 0 ? size_t(dib.m_nHeight) * size_t(dib.m_nRowBytes) : 0;
}

std::string Geometry(const CDib& dib) {
    return std::to_string(dib.m_nWidth) + " x " + std::to_string(dib.m_nHeight) + ", " + std::to_string(dib.m_nBitCount) + " bits";
}

const char* const kKnownWhy =
    "Why it works: mode 1 XORs the pixel rows with a key stream computed from the key\n"
    "alone; the pixels never feed back into it. So P1 XOR C1 is the key stream itself,\n"
    "and XORing it onto any other image encrypted with the same key takes the\n"
    "encryption off, as far as C1 reaches.";

const char* const kChosenWhy =
    "Why it works: mode 2 replaces every byte value by the same other value, wherever\n"
    "it stands. An image holding each of the 256 values once comes back as the S-box\n"
    "itself, and its inverse decrypts any image under the same key. The substitution\n"
    "keeps the histogram too (the values are only renamed), so edges and regions stay\n"
    "visible in the encrypted image.";

int KnownPlaintext(const std::string& p1Path, const std::string& c1Path, const std::string& c2Path,
                   const std::string& outPath, const CLI::App& command) {
    CDib p1, c1, c2;
    if (!cli::LoadOrExplain(p1, p1Path) || !cli::LoadOrExplain(c1, c1Path) || !cli::LoadOrExplain(c2, c2Path))
        return cli::kExitFailed;
    if (p1.m_nWidth != c1.m_nWidth || p1.m_nHeight != c1.m_nHeight || p1.m_nBitCount != c1.m_nBitCount)
        return cli::UsageError(command, "P1 (" + Geometry(p1) + ") and C1 (" + Geometry(c1) +
                                            ") differ: C1 must be P1 encrypted");
    const size_t nStream = RowBytes(c1), nC2 = RowBytes(c2), nRecovered = std::min(nStream, nC2);
    size_t nZero = 0;
    for (size_t i = 0; i < nStream; ++i) nZero += p1.m_lpBits[i] == c1.m_lpBits[i];
    if (nZero == nStream) {
        std::fprintf(stderr, "moro-cli: C1 is P1 unchanged: it holds no key stream to recover\n");
        return cli::kExitFailed;
    }
    for (size_t i = 0; i < nRecovered; ++i) c2.m_lpBits[i] ^= BYTE(p1.m_lpBits[i] ^ c1.m_lpBits[i]);
    if (!cli::SaveBmpOrExplain(c2, outPath)) return cli::kExitFailed;

    std::printf("Known-plaintext attack on mode 1 (the chaotic key stream)\n\n%s\n\n", kKnownWhy);
    std::printf("key stream recovered:  %zu bytes, from P1 and C1 (%s)\n", nStream, Geometry(c1).c_str());
    std::printf("C2 decrypted:          %zu of %zu bytes of its rows (%s), written to %s\n", nRecovered, nC2,
                Geometry(c2).c_str(), outPath.c_str());
    if (nRecovered < nC2) std::printf("                       the rest lies beyond the key stream C1 reveals\n");
    return cli::kExitOk;
}

// The key under attack: made from the seed as the window makes it, its S-box built from the
// states as the window's first encryption builds it (before that the S-box is the identity, and
// mode 2 changes nothing).
KeyState SubstKey(uint32_t seed) {
    crt::srand(seed);
    KeyState key;
    InitKey(key);
    BuildSBox(key.states, key.sbox);
    return key;
}

void PrintSBox(const BYTE sbox[256]) {
    for (int row = 0; row < 16; ++row) {
        std::printf("  %02x:", row * 16);
        for (int i = 0; i < 16; ++i) std::printf(" %02x", sbox[row * 16 + i]);
        std::printf("\n");
    }
}

// Any picture at all when the user names none: smooth shades and hard edges.
void MakeTestImage(CDib& dib) {
    dib.Create(97, 61, 24, nullptr, 0);
    for (int y = 0; y < dib.m_nHeight; ++y) {
        BYTE* row = dib.StoredRow(y);
        for (int x = 0; x < dib.m_nWidth; ++x) {
            bool inside = (x - 48) * (x - 48) + (y - 30) * (y - 30) < 400;
            row[3 * x] = BYTE(inside ? 40 : x * 2);
            row[3 * x + 1] = BYTE(inside ? 220 : y * 4);
            row[3 * x + 2] = BYTE((x + y) & 0xF0);
        }
    }
}

struct ChosenOptions {
    std::string report, image, encrypted, decrypted;
    bool bSeeded = false;
    unsigned long long nSeed = 0;
};

int ChosenPlaintext(const ChosenOptions& o) {
    const uint32_t seed = uint32_t(o.bSeeded ? o.nSeed : std::time(nullptr));
    KeyState key = SubstKey(seed);

    // The chosen image: 16 rows of 16 bytes, no fill, holding 0 to 255 in order.
    CDib chosen;
    if (!chosen.Create(16, 16, 8, nullptr, 0)) return cli::kExitFailed;
    for (int v = 0; v < 256; ++v) chosen.m_lpBits[v] = BYTE(v);
    EncryptSubst(key, chosen);
    BYTE recovered[256], inverse[256];
    for (int v = 0; v < 256; ++v) recovered[v] = chosen.m_lpBits[v];
    const bool bSBoxMatches = std::equal(recovered, recovered + 256, key.sbox) && InvertSBox(recovered, inverse);

    // An image the attacker never saw, encrypted by the key's owner, decrypted by the attacker.
    CDib plain, work;
    if (o.image.empty())
        MakeTestImage(plain);
    else if (!cli::LoadOrExplain(plain, o.image))
        return cli::kExitFailed;
    work.Copy(plain);
    if (!work.IsValid()) return cli::kExitFailed;
    EncryptSubst(key, work);
    if (!o.encrypted.empty() && !cli::SaveBmpOrExplain(work, o.encrypted)) return cli::kExitFailed;
    const size_t n = RowBytes(work);
    for (size_t i = 0; i < n && bSBoxMatches; ++i) work.m_lpBits[i] = inverse[work.m_lpBits[i]];
    size_t nSame = 0;
    for (size_t i = 0; i < n; ++i) nSame += work.m_lpBits[i] == plain.m_lpBits[i];
    if (!o.decrypted.empty() && !cli::SaveBmpOrExplain(work, o.decrypted)) return cli::kExitFailed;
    const std::string imageName = o.image.empty() ? "a test picture" : "'" + o.image + "'";

    nlohmann::json report = {
        {"attack", "chosen-plaintext"},
        {"seed", seed},
        {"recovered_sbox", std::vector<int>(recovered, recovered + 256)},
        {"sbox_matches", bSBoxMatches},
        {"image", o.image.empty() ? nlohmann::json(nullptr) : nlohmann::json(o.image)},
        {"image_bytes", n},
        {"image_bytes_recovered", nSame},
    };
    if (!cli::WriteTextOrExplain(o.report, report.dump(2) + "\n")) return cli::kExitFailed;

    std::printf("Chosen-plaintext attack on mode 2 (the S-box)\n\n%s\n\n", kChosenWhy);
    std::printf("key:              seed %u, its S-box built from its states\n", seed);
    std::printf("chosen image:     16 x 16, 8 bits: the bytes 0 to 255 in order, encrypted with the key\n");
    std::printf("recovered S-box (entry v is what v becomes):\n");
    PrintSBox(recovered);
    std::printf("S-box:            %s the key's\n", bSBoxMatches ? "matches" : "DOES NOT match");
    std::printf("image:            %s (%s), encrypted with the key\n", imageName.c_str(), Geometry(plain).c_str());
    std::printf("decrypted:        with the recovered S-box, %zu of %zu bytes of its rows match\n", nSame, n);
    std::printf("report:           %s\n", o.report.c_str());
    return bSBoxMatches && nSame == n ? cli::kExitOk : cli::kExitFailed;
}

class CAttack : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        m_known = app.add_subcommand("known-plaintext", "recovers mode 1's key stream from one plain image and its encryption");
        m_known->footer(std::string("Decrypts C2 with the key stream P1 XOR C1, where C1 is P1 encrypted by mode 1\n"
                                    "(steps 'stream') and C2 another image under the same key (the same seed).\n\n") +
                        kKnownWhy);
        m_known->add_option("P1", m_p1, "a plain image")->required();
        m_known->add_option("C1", m_c1, "P1 encrypted by mode 1")->required();
        m_known->add_option("C2", m_c2, "another image encrypted with the same key")->required();
        m_known->add_option("OUT", m_out, "the BMP file to write: C2 decrypted")->required();

        m_chosen = app.add_subcommand("chosen-plaintext", "recovers mode 2's whole S-box from one chosen image");
        m_chosen->footer(std::string("Makes a mode-2 key (from --seed, or the clock), has it encrypt an image holding\n"
                                     "every byte value, reads the S-box off the result and decrypts another image\n"
                                     "with it. Writes what it found to REPORT (JSON) and exits 0 when the S-box and\n"
                                     "the decrypted image match.\n\n") +
                         kChosenWhy);
        m_chosen->add_option("REPORT", m_chosenOptions.report, "the JSON report to write")->required();
        m_chosen->add_option("--seed", m_chosenOptions.nSeed, "seed of the key (0 to 4294967295; default: the clock)")
            ->type_name("N")
            ->transform(cli::WholeNumber("--seed", 0, 0xFFFFFFFFull));
        m_chosen->add_option("--image", m_chosenOptions.image, "the image to encrypt and decrypt (default: a test picture)")
            ->type_name("FILE");
        m_chosen->add_option("--encrypted", m_chosenOptions.encrypted, "also write that image encrypted, as BMP")
            ->type_name("FILE");
        m_chosen->add_option("--decrypted", m_chosenOptions.decrypted, "also write it decrypted again, as BMP")
            ->type_name("FILE");
    }

    int Run(const CLI::App& app) override {
        if (m_known->parsed()) return KnownPlaintext(m_p1, m_c1, m_c2, m_out, app);
        if (!m_chosen->parsed()) return cli::UsageError(app, "attack needs known-plaintext or chosen-plaintext");
        m_chosenOptions.bSeeded = m_chosen->count("--seed") > 0;
        return ChosenPlaintext(m_chosenOptions);
    }

private:
    CLI::App* m_known = nullptr;
    CLI::App* m_chosen = nullptr;
    std::string m_p1, m_c1, m_c2, m_out;
    ChosenOptions m_chosenOptions;
};

}  // namespace

MORO_CLI_COMMAND(CAttack, "attack", "runs the known-plaintext or the chosen-plaintext attack");
