#pragma once

#include "acoustics/RoomAcoustics.h"

#include <string>
#include <string_view>
#include <vector>

// The surface materials the user picks from: the library installed with the program
// (materials.txt in share/daxara), extended by the user's own file of the same form in the
// configuration folder. A line is
//     name | seven coefficients, 125 Hz to 8 kHz, separated by blanks | source
// ('#' starts a comment; the source may be left out). A material of a name already known
// replaces it, so the user's file can correct the library.
struct CLibraryMaterial {
    CRoomMaterial material;
    std::string source; // as the file names it
    std::string origin; // the file it came from
};

class CMaterialLibrary {
public:
    // Adds the materials of a text; on an error nothing of the text is added and the answer
    // names the origin, the line and what is wrong. Empty when every line was taken.
    std::string Add(std::string_view text, const std::string& origin);
    // Reads a file and adds it; a file that does not exist adds nothing and is no error.
    std::string AddFile(const std::string& path);

    const std::vector<CLibraryMaterial>& Materials() const { return m_materials; }
    // By name, ignoring case; null when there is none.
    const CLibraryMaterial* Find(std::string_view name) const;

    // The library of the program in `programDir` (the folder of its executable) and the user's
    // file; problems (a file that cannot be read, a bad line) are collected, never fatal.
    static CMaterialLibrary Installed(const std::string& programDir,
                                      std::vector<std::string>* problems = nullptr);
    // The same for the program folder its start-up named (SetProgramDirectory); without one only
    // the user's file.
    static CMaterialLibrary Installed(std::vector<std::string>* problems = nullptr);
    static void SetProgramDirectory(const std::string& programDir);
    // Where the installed library is looked for: beside the program's share folder when
    // installed (bin/../share/daxara) and in the build tree (build/share/daxara).
    static std::vector<std::string> LibraryPaths(const std::string& programDir);
    // The user's file: $XDG_CONFIG_HOME/VEL/materials.txt, else ~/.config/VEL/materials.txt.
    static std::string UserPath();

private:
    std::vector<CLibraryMaterial> m_materials;
};
