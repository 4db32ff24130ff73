#pragma once
// ZBar's tools as the program's decoder: zbarcam.exe for the camera, zbarimg.exe for pictures.
#include <string>
#include <string_view>
#include <vector>

#include "engine/Engine.h"

namespace tolvira {

// Both tools hand a QR code's bytes over unchanged (the result line's decoding reads them as
// UTF-8 or the ANSI code page, where ZBar's own guess garbles Chinese text) and try each
// picture inverted too (light-on-dark codes).
inline constexpr const char* kQrBytesUnchanged = "-Sqrcode.binary";
inline constexpr const char* kTryInverted = "-Stest-inverted";
// Both tools write CR, LF and backslash in a code's data as \r, \n and \\ (a patch of ours), so
// that a code holding line breaks stays one line of the result file.
inline constexpr const char* kEscapeLineBreaks = "--escape";

// A line the tools wrote with kEscapeLineBreaks, as the code's bytes: \r, \n and \\ undone, any
// other backslash kept as it is.
Bytes unescapedLine(std::string_view line);

// One short list line from zbarcam's standard error: its last line, put in words the user can
// act on where it is known.
std::string engineExitNotice(std::string_view errorOutput);

class ZbarEngine final : public Engine {
  public:
    std::string cameraProgram() const override { return "zbarcam.exe"; }
    std::string imageProgram() const override { return "zbarimg.exe"; }
    std::string videoTitle() const override { return "ZBar"; }
    std::string cameraResults() const override { return "bar.dat"; }
    std::string cameraErrors() const override { return "zbarcam.err"; }
    std::string imageResults() const override { return "bar2.dat"; }
    // The three switches above, -q when it is not to beep, then the camera's number.
    std::vector<std::string> cameraArguments(const Options& options) const override;
    // No window (-D), no beep, the three switches, the picture.
    std::vector<std::string> imageArguments(const std::string& picture,
                                            const Options& options) const override;
    std::string exitNotice(std::string_view errorOutput) const override {
        return engineExitNotice(errorOutput);
    }
    Bytes unframed(std::string_view line) const override { return unescapedLine(line); }
};

}  // namespace tolvira
