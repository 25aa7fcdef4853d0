// The window's own texts beyond its templates: file filters, notices, the progress window and
// the speed report.  Written once, here; Simplified Chinese like the dialogs, except the speed
// report's first sentence, which stays as the program has always said it.
#pragma once

namespace texts {

// File dialogs: every image file the library reads, and the two kinds the window writes.
extern const char kOpenFilter[];
extern const char kSaveFilter[];
constexpr unsigned kSaveFilterPng = 2;  // the PNG line of kSaveFilter, counted from 1

extern const char kTitleFormat[];        // caption, file name
extern const char kEncryptedSuffix[];    // proposed name of a saved encrypted image: name-enc.bmp

// Loading: a file that cannot even be opened (the library says nothing of those).
extern const char kNotLoaded[];          // path, reason
extern const char kReasonNoFile[];
extern const char kReasonNoReadPermission[];

// Saving.
extern const char kNothingToSave[];
extern const char kSaveKindRefused[];    // file name
extern const char kNotSaved[];           // path, reason
extern const char kReasonNoPermission[];
extern const char kReasonReadOnly[];
extern const char kReasonNotAFolder[];
extern const char kReasonNoFolder[];
extern const char kReasonIsAFolder[];
extern const char kReasonNameTooLong[];
extern const char kReasonDiskFull[];
extern const char kReasonNoMemory[];
extern const char kReasonWriteFailed[];

// Encryptions that leave the picture mostly as it was: a degenerate key, or the S-box still the
// identity (nothing has built it yet).
extern const char kDegenerateKey[];
extern const char kNoSBoxYet[];

// The context menu's key entries, their file dialogs and what they say.
extern const char kSaveKeyEntry[];
extern const char kDecryptWithKeyEntry[];
extern const char kKeyFilter[];
extern const char kKeySuffix[];          // proposed name of a key file: name-key.json
extern const char kNoRunToSave[];
extern const char kRunTooLong[];         // most steps
extern const char kKeyNotSaved[];        // path
extern const char kNothingToDecrypt[];
extern const char kKeyRefused[];         // path, reason (the key-file reader's, in English)

// The security analysis: its menu entry, what it says when it cannot run, and the dialog's
// heading and chart titles.
extern const char kAnalysisEntry[];
extern const char kNothingToAnalyse[];
extern const char kAnalysisDepth[];      // bits per pixel
extern const char kAnalysisFailed[];     // reason (the library's, in English)
extern const char kAnalysisHeading[];    // file name, width, height, bits per pixel
extern const char kAnalysisPlainChart[]; // channel
extern const char kAnalysisCipherChart[];// channel, chi-square
extern const char kChannelIndex[];       // the channels as the analysis names them: index, red, green, blue
extern const char kChannelRed[];
extern const char kChannelGreen[];
extern const char kChannelBlue[];

// The speed test.
extern const char kSpeedCaption[];
extern const char kFramesDone[];         // frames done, frames asked for
extern const char kCancel[];
extern const char kSpeedReport[];        // Mbps
extern const char kSpeedMeasured[];      // test type, frames, image
extern const char kSpeedCancelled[];     // frames done, frames asked for, test type, image
extern const char kImageSize[];          // width, height, bits per pixel
extern const char kNoImage[];

}  // namespace texts
