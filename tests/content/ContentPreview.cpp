// ilvane-content-preview: loads the built data folder through the engine, headless, builds one dialog of
// cfg\ui.xml with the dialog loader, shows every control (text variables filled with sample values) and writes one
// 800 x 600 frame as PNG.
//
// usage: ilvane-content-preview DIALOG OUT.png [--data FOLDER] [--hide PATH]... [--var NAME=TEXT]...
//                                [--texture PATH=TEXTURE]...
//        ilvane-content-preview --scene SCENE OUT.png [--data FOLDER]   (e.g. scenes/cafe1.xml)
// PATH names a control by its names from the dialog down, joined by '/' (right_part/expert_bkg); a hidden control
// hides what lies in it. --texture gives a button or text the picture the game would give it. The application's
// settings and files go to a scratch folder that is removed at the end.
#include "engine/ResourceIds.h"
#include "engine/TMButton.h"
#include "engine/TMDialog.h"
#include "engine/TMText.h"
#include "engine/TextVars.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "game/TMEngine3.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "platform/window/Utf16Conversion.h"
#include "shell/WidgetManager.h"
#include "tests/content/ScenePreview.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// The game's application object without its boards: the preview wants the engine's tables, not the screens.
class PreviewApp : public TMEngine3 {
public:
    using TMEngine3::TMEngine3;
    void LoadContent() override { TMEngine::LoadContent(); }
};

/// Sample values of the variables that the interface's texts name.
const std::map<std::string, std::wstring> kSampleVariables = {
    {"normal", L"450"},
    {"expert", L"700"},
    {"money", L"285"},
    {"day", L"3"},
    {"cafe", L"1"},
    {"currentcafe", L"1"},
    {"currentday", L"3"},
    {"level_briefing", L"Morning rush at the corner cafe: office workers want their coffee fast, and the new "
                       L"cake counter opens today. Keep the queue short!"},
};

/// Makes every control below the widget visible, except the hidden ones (which stay hidden with all they hold).
void ShowAll(Pyxo::WidgetContainer& container, const std::vector<const Pyxo::Widget*>& hidden)
{
    for (Pyxo::Widget* child : container.mWidgets) {
        auto* widget = dynamic_cast<TMCandyWidget*>(child);
        if (!widget)
            continue;
        bool hide = false;
        for (const Pyxo::Widget* h : hidden)
            hide = hide || h == widget;
        if (hide) {
            widget->SetVisible(false);
            continue;
        }
        widget->SetVisible(true);
        ShowAll(*widget, hidden);
    }
}

TMCandyWidget* FindPath(TMCandyWidget* dialog, const std::string& path)
{
    TMCandyWidget* at = dialog;
    size_t start = 0;
    while (at && start <= path.size()) {
        const size_t slash = path.find('/', start);
        at = at->FindChild(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return at;
}

int Usage()
{
    std::fprintf(stderr, "usage: ilvane-content-preview DIALOG OUT.png [--data FOLDER] [--hide PATH]... "
                         "[--var NAME=TEXT]... [--texture PATH=TEXTURE]...\n"
                         "       ilvane-content-preview --scene SCENE OUT.png [--data FOLDER]\n");
    return 2;
}

/// Removes the scratch folder however the preview ends.
struct Scratch {
    fs::path folder;
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    if (std::string(argv[1]) == "--scene") {
        if (argc != 4 && !(argc == 6 && std::string(argv[4]) == "--data"))
            return Usage();
        std::string error;
        if (!ScenePreview::DrawScene(argc == 6 ? argv[5] : ILVANE_DATA_FOLDER, argv[2], argv[3], error)) {
            std::fprintf(stderr, "ilvane-content-preview: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    const std::string dialogName = argv[1];
    const std::string output = argv[2];
    fs::path data = ILVANE_DATA_FOLDER;
    std::vector<std::string> hidePaths;
    std::vector<std::pair<std::string, std::string>> textures;
    std::map<std::string, std::wstring> variables = kSampleVariables;
    for (int i = 3; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const std::string value = argv[++i];
        if (option == "--data") {
            data = value;
        } else if (option == "--hide") {
            hidePaths.push_back(value);
        } else if (option == "--var") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos)
                return Usage();
            variables[value.substr(0, equals)] = Platform::Utf8ToUtf16(value.substr(equals + 1));
        } else if (option == "--texture") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos)
                return Usage();
            textures.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else {
            return Usage();
        }
    }
    if (!fs::is_directory(data)) {
        std::fprintf(stderr, "%s: not a data folder\n", data.c_str());
        return 1;
    }
    const fs::path outputPath = fs::absolute(output);

    // Headless, and nothing of the user's: settings, player file and lock live in a scratch folder.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Scratch scratch{fs::temp_directory_path() / ("ilvane-preview-" + std::to_string(getpid()))};
    fs::create_directories(scratch.folder);
    setenv("XDG_CONFIG_HOME", (scratch.folder / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch.folder / "data").c_str(), 1);

    auto app = std::make_unique<PreviewApp>(fs::absolute(data));
    app->Init();
    app->LoadContent();

    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    if (!interface) {
        std::fprintf(stderr, "cfg\\ui.xml: missing or not readable\n");
        return 1;
    }
    auto* dialog = new TMDialog(nullptr, app.get());
    dialog->LoadByName(XmlSelectNode(*interface, "root"), dialogName);
    if (dialog->mWidgets.empty()) {
        std::fprintf(stderr, "%s: no such dialog in cfg\\ui.xml\n", dialogName.c_str());
        delete dialog;
        return 1;
    }
    std::vector<const Pyxo::Widget*> hidden;
    for (const std::string& path : hidePaths) {
        const TMCandyWidget* widget = FindPath(dialog, path);
        if (!widget) {
            std::fprintf(stderr, "%s: no control %s\n", dialogName.c_str(), path.c_str());
            delete dialog;
            return 1;
        }
        hidden.push_back(widget);
    }
    for (const auto& [path, id] : textures) {
        TMCandyWidget* widget = FindPath(dialog, path);
        const TextureHandle texture = app->GetTextureTable()->Find(id);
        if (!widget || !texture.GetRecord()) {
            std::fprintf(stderr, "%s: no control %s or no texture %s\n", dialogName.c_str(), path.c_str(), id.c_str());
            delete dialog;
            return 1;
        }
        if (auto* button = dynamic_cast<TMButton*>(widget))
            button->SetTextureAll(texture);
        else if (auto* text = dynamic_cast<TMText*>(widget))
            text->SetTextureAll(texture);
    }
    for (const auto& [name, text] : variables)
        app->GetTextVars()->Set(name, text);

    Pyxo::WidgetManager& manager = *app->mWidgetManager;
    manager.AddWidget(dialog);
    dialog->SetVisible(true);
    ShowAll(*dialog, hidden);
    // Two frames: the texts expand their variables in the first, and everything has its layout by the second.
    manager.UpdateFrame();
    manager.UpdateFrame();

    bool written = false;
    {
        // The frame registers with the application, so it goes before the application does.
        Pyxo::MemoryImage frame(app.get());
        frame.Create(TMEngine::kScreenWidth, TMEngine::kScreenHeight);
        {
            // What lies under an overlay such as the HUD: the board's ground.
            Pyxo::Graphics g(&frame);
            g.SetColor(Pyxo::Color(0x8A, 0x7A, 0x66));
            g.FillRect(0, 0, TMEngine::kScreenWidth, TMEngine::kScreenHeight);
            if (Pyxo::Image* ground = GetImageById(kGfxGameGround); ground && ground->GetWidth() > 0) {
                for (int y = 0; y < TMEngine::kScreenHeight; y += ground->GetHeight())
                    for (int x = 0; x < TMEngine::kScreenWidth; x += ground->GetWidth())
                        g.DrawImage(ground, x, y);
            }
        }
        Pyxo::Image* screen = manager.mImage;
        manager.mImage = &frame;
        dialog->MarkDirty();
        manager.DrawScreen();
        manager.mImage = screen;

        const uint32_t* bits = frame.GetBits();
        ImageLib::Image picture(frame.GetWidth(), frame.GetHeight());
        for (int i = 0; i < frame.GetWidth() * frame.GetHeight(); ++i)
            picture.GetBits()[i] = bits[i] | 0xFF000000u;
        written = ImageLib::WritePNGImage(outputPath.string(), picture);
    }
    manager.RemoveWidget(dialog);
    delete dialog;
    app.reset();
    if (!written) {
        std::fprintf(stderr, "%s: cannot be written\n", outputPath.c_str());
        return 1;
    }
    std::printf("%s\n", outputPath.c_str());
    return 0;
}
