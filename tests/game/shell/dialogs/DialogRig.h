#pragma once

// The real engine against the stand-in service on 127.0.0.1, in a game
// folder of its own, with the dialogs scripted and the boxes recorded.

#include "engine/core/Engine.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/web/MasterServices.h"
#include "engine/web/StandIn.h"
#include "platform/os/OsText.h"
#include "platform/ui/Ui.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DialogRig {

inline std::vector<std::string>& Boxes()
{
    static std::vector<std::string> boxes;
    return boxes;
}

inline Ui::Answer Record(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    Boxes().push_back(Util::ToOs(title) + ": " + Util::ToOs(text));
    return Ui::Answer::Ok;
}

// A package written by the engine's own writer.
inline void WritePackage(const std::string& path, int version, const std::map<std::string, std::string>& entries)
{
    TestSupport::TempDir staging;
    TestSupport::ScopedChdir in(staging.Path());
    FileManager files;
    files.BeginPackage(version);
    for (const auto& [name, bytes] : entries) {
        size_t slash = name.rfind('/');
        if (slash != std::string::npos)
            TestSupport::MakeDirs(staging.File(name.substr(0, slash)));
        TestSupport::WriteAll(staging.File(name), bytes.data(), bytes.size());
        files.AddFileToPackage(Util::FromOs(name).c_str(), 0);
    }
    ASSERT_TRUE(files.SavePackage(Util::FromOs(path).c_str(), nullptr));
}

using TestSupport::ReadText;

class Rig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("VORNHAL_UI", "headless", 1);
        for (const char* name : {"VORNHAL_UI_LOGIN", "VORNHAL_UI_UPDATE", "VORNHAL_UI_DOWNLOAD"})
            ::unsetenv(name);
        ::setenv("TMPDIR", tmp_.Path().c_str(), 1);
        Boxes().clear();
        Ui::SetMessageBackend(Record);
        ASSERT_TRUE(service_.Running());
        MasterServices::SetUpdateHost(service_.Host().c_str());
    }
    void TearDown() override
    {
        MasterServices::SetUpdateHost(nullptr);
        Ui::SetMessageBackend(nullptr);
        ::unsetenv("TMPDIR");
    }

    // An engine whose game folder is the rig's, as the client has it.
    struct InGame {
        explicit InGame(const std::string& folder) : in(folder) {}
        TestSupport::ScopedChdir in;
        Engine engine;
    };
    std::unique_ptr<InGame> Start() { return std::unique_ptr<InGame>(new InGame(game_.Path())); }

    TestSupport::TempDir game_;
    TestSupport::TempDir tmp_;
    StandIn service_;
};

} // namespace DialogRig
