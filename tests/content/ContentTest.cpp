// Reads the built data folder and package the way the engine will: pictures
// through SDL_image, fonts through SDL_ttf, sounds through SDL_mixer, the
// metadata files as Lua chunks calling Metadata, the package through PhysFS.

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <lua.hpp>
#include <physfs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// SDL_mixer 1.2 keeps the bytes of a MIDI file it played through FluidSynth
// after Mix_FreeMusic: the library's leak, not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libSDL_mixer-1.2.so\n";
}

namespace {

// Headless unless told otherwise: no sound card, no display.
const bool kHeadless = setenv("SDL_AUDIODRIVER", "dummy", 0) == 0 && setenv("SDL_VIDEODRIVER", "dummy", 0) == 0;

const fs::path kData = VELK_DATA_DIR;

std::vector<fs::path> FilesWithSuffix(std::initializer_list<std::string> suffixes)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(kData)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && std::find(suffixes.begin(), suffixes.end(), ext) != suffixes.end())
            found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

SurfacePtr LoadPicture(const fs::path& path)
{
    return SurfacePtr(IMG_Load(path.c_str()), &SDL_FreeSurface);
}

TEST(ContentPictures, EveryPictureDecodes)
{
    const auto pictures = FilesWithSuffix({".png", ".jpg"});
    ASSERT_FALSE(pictures.empty());
    for (const auto& path : pictures) {
        SCOPED_TRACE(path.filename().string());
        auto surface = LoadPicture(path);
        ASSERT_TRUE(surface) << IMG_GetError();
        EXPECT_GT(surface->w, 0);
        EXPECT_GT(surface->h, 0);
    }
}

// One metadata file run as the engine runs it: each Metadata call adds its
// table's entries to the result.
struct MetadataEntry
{
    std::map<std::string, int> numbers;
    std::map<std::string, std::pair<int, int>> parts;
    // Frame animations by name: their frame numbers and the animations they play in turn.
    std::map<std::string, std::pair<std::vector<int>, std::vector<std::string>>> animations;
};

int CollectMetadata(lua_State* L)
{
    luaL_checktype(L, 1, LUA_TTABLE);
    lua_getfield(L, LUA_REGISTRYINDEX, "collected");
    lua_pushnil(L);
    while (lua_next(L, 1) != 0) {
        lua_pushvalue(L, -2);
        lua_insert(L, -2);
        lua_settable(L, -4);
    }
    return 0;
}

std::map<std::string, MetadataEntry> RunMetadata(const fs::path& path)
{
    std::unique_ptr<lua_State, decltype(&lua_close)> state(luaL_newstate(), &lua_close);
    lua_State* L = state.get();
    lua_newtable(L);
    lua_setfield(L, LUA_REGISTRYINDEX, "collected");
    lua_register(L, "Metadata", CollectMetadata);
    const std::string chunk = ReadFile(path);
    if (luaL_loadbuffer(L, chunk.data(), chunk.size(), path.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) {
        ADD_FAILURE() << lua_tostring(L, -1);
        return {};
    }
    std::map<std::string, MetadataEntry> result;
    lua_getfield(L, LUA_REGISTRYINDEX, "collected");
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
        EXPECT_EQ(lua_type(L, -2), LUA_TSTRING) << "keys are file names";
        EXPECT_EQ(lua_type(L, -1), LUA_TTABLE) << "values are tables";
        if (lua_type(L, -2) == LUA_TSTRING && lua_type(L, -1) == LUA_TTABLE) {
            MetadataEntry& entry = result[lua_tostring(L, -2)];
            lua_pushnil(L);
            while (lua_next(L, -2) != 0) {
                const std::string key = lua_tostring(L, -2);
                if (lua_type(L, -1) == LUA_TNUMBER)
                    entry.numbers[key] = static_cast<int>(lua_tointeger(L, -1));
                if (key == "parts" && lua_type(L, -1) == LUA_TTABLE) {
                    lua_pushnil(L);
                    while (lua_next(L, -2) != 0) {
                        lua_rawgeti(L, -1, 1);
                        lua_rawgeti(L, -2, 2);
                        entry.parts[lua_tostring(L, -4)] = {static_cast<int>(lua_tointeger(L, -2)),
                                                            static_cast<int>(lua_tointeger(L, -1))};
                        lua_pop(L, 3);
                    }
                }
                if (key == "Animations" && lua_type(L, -1) == LUA_TTABLE) {
                    lua_pushnil(L);
                    while (lua_next(L, -2) != 0) {
                        auto& [frames, nested] = entry.animations[lua_tostring(L, -2)];
                        for (int i = 1;; ++i) {
                            lua_rawgeti(L, -1, i);
                            const int type = lua_type(L, -1);
                            if (type == LUA_TNUMBER)
                                frames.push_back(static_cast<int>(lua_tointeger(L, -1)));
                            else if (type == LUA_TSTRING)
                                nested.push_back(lua_tostring(L, -1));
                            lua_pop(L, 1);
                            if (type == LUA_TNIL)
                                break;
                        }
                        lua_pop(L, 1);
                    }
                }
                lua_pop(L, 1);
            }
        }
        lua_pop(L, 1);
    }
    return result;
}

TEST(ContentMetadata, EntriesNameFilesOfTheirFolderAndFramesFitThePicture)
{
    const auto files = FilesWithSuffix({".cfg"});
    ASSERT_FALSE(files.empty());
    for (const auto& cfg : files) {
        ASSERT_EQ(cfg.filename(), "metadata.cfg");
        for (const auto& [name, entry] : RunMetadata(cfg)) {
            SCOPED_TRACE(cfg.parent_path().filename().string() + "/" + name);
            // A package scan binds metadata only to files of the same folder.
            const fs::path file = cfg.parent_path() / name;
            ASSERT_TRUE(fs::exists(file));
            if (entry.numbers.count("numFrames")) {
                const int frames = entry.numbers.at("numFrames");
                ASSERT_TRUE(entry.numbers.count("width") && entry.numbers.count("height"));
                const int fw = entry.numbers.at("width"), fh = entry.numbers.at("height");
                const int gap = entry.numbers.count("gap_y") ? entry.numbers.at("gap_y") : 0;
                auto surface = LoadPicture(file);
                ASSERT_TRUE(surface);
                ASSERT_GT(frames, 0);
                // The engine's layout: frames in reading order, wrapping rows.
                int x = 0, y = 0;
                for (int i = 0; i < frames; ++i) {
                    if (x > surface->w - fw) {
                        x = 0;
                        y += fh + gap;
                    }
                    EXPECT_LE(x + fw, surface->w);
                    EXPECT_LE(y + fh, surface->h);
                    x += fw;
                }
                EXPECT_EQ(x, surface->w) << "the last frame ends at the strip's edge";
            }
            // An animation shows frames of its own strip and plays only animations it has.
            const int strip = entry.numbers.count("numFrames") ? entry.numbers.at("numFrames") : 1;
            for (const auto& [animation, steps] : entry.animations) {
                EXPECT_FALSE(steps.first.empty() && steps.second.empty()) << animation;
                for (int frame : steps.first) {
                    EXPECT_GE(frame, 0) << animation;
                    EXPECT_LT(frame, strip) << animation;
                }
                for (const auto& other : steps.second)
                    EXPECT_TRUE(entry.animations.count(other)) << animation << " plays " << other;
            }
            for (const auto& [part, range] : entry.parts) {
                EXPECT_GE(range.first, 1) << part;
                EXPECT_GE(range.second, 1) << part;
            }
        }
    }
}

TEST(ContentFonts, EveryFontOpensAndRendersText)
{
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    const auto fonts = FilesWithSuffix({".ttf", ".otf"});
    ASSERT_FALSE(fonts.empty());
    for (const auto& path : fonts) {
        SCOPED_TRACE(path.filename().string());
        TTF_Font* font = TTF_OpenFont(path.c_str(), 26);
        ASSERT_NE(font, nullptr) << TTF_GetError();
        const SDL_Color ink = {59, 35, 20, 0};
        SDL_Surface* text = TTF_RenderText_Blended(font, "Wopple 0123456789!", ink);
        ASSERT_NE(text, nullptr) << TTF_GetError();
        EXPECT_GT(text->w, 60);
        SDL_FreeSurface(text);
        TTF_CloseFont(font);
    }
    TTF_Quit();
}

// Loops named in the recipes ("<name> loop=<seconds> = ...").
std::set<std::string> LoopNames()
{
    std::ifstream in(VELK_SOUND_RECIPES);
    std::set<std::string> loops;
    const std::regex loop(R"(^(\S+\.ogg)\s+loop=)");
    std::smatch m;
    for (std::string line; std::getline(in, line);)
        if (std::regex_search(line, m, loop))
            loops.insert(m[1]);
    return loops;
}

class ContentSounds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kHeadless);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
        Mix_QuerySpec(&rate, &format, &channels);
    }
    void TearDown() override
    {
        Mix_CloseAudio();
        SDL_Quit();
    }
    double Seconds(const Mix_Chunk* chunk) const
    {
        const int bytesPerSample = (format & 0xFF) / 8;
        return static_cast<double>(chunk->alen) / (rate * channels * bytesPerSample);
    }
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
};

TEST_F(ContentSounds, EverySoundPlaysAndEffectsLastFrom50msTo3s)
{
    const auto loops = LoopNames();
    EXPECT_FALSE(loops.empty());
    const auto sounds = FilesWithSuffix({".ogg"});
    ASSERT_FALSE(sounds.empty());
    for (const auto& path : sounds) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        const double seconds = Seconds(chunk);
        if (loops.count(name)) {
            EXPECT_GT(seconds, 3.0) << "a loop that short would be heard repeating";
        } else {
            EXPECT_GE(seconds, 0.05);
            EXPECT_LE(seconds, 3.0);
        }
        const int channel = Mix_PlayChannel(-1, chunk, loops.count(name) ? -1 : 0);
        ASSERT_NE(channel, -1) << Mix_GetError();
        EXPECT_TRUE(Mix_Playing(channel));
        Mix_HaltChannel(channel);
        Mix_FreeChunk(chunk);
    }
}

TEST_F(ContentSounds, EveryMidiFileLoadsAndPlays)
{
    const auto pieces = FilesWithSuffix({".mid"});
    ASSERT_FALSE(pieces.empty());
    for (const auto& path : pieces) {
        SCOPED_TRACE(path.filename().string());
        Mix_Music* music = Mix_LoadMUS(path.c_str());
        ASSERT_NE(music, nullptr) << Mix_GetError();
        EXPECT_EQ(Mix_PlayMusic(music, 0), 0) << Mix_GetError();
        EXPECT_TRUE(Mix_PlayingMusic());
        Mix_HaltMusic();
        Mix_FreeMusic(music);
    }
}

// Every file of a PhysFS folder, recursively, as path -> bytes.
void ReadPackageFolder(const std::string& dir, std::map<std::string, std::string>& out)
{
    char** names = PHYSFS_enumerateFiles(dir.c_str());
    ASSERT_NE(names, nullptr);
    for (char** n = names; *n; ++n) {
        const std::string path = dir.empty() ? *n : dir + "/" + *n;
        PHYSFS_Stat stat;
        ASSERT_NE(PHYSFS_stat(path.c_str(), &stat), 0);
        if (stat.filetype == PHYSFS_FILETYPE_DIRECTORY) {
            ReadPackageFolder(path, out);
            continue;
        }
        PHYSFS_File* file = PHYSFS_openRead(path.c_str());
        ASSERT_NE(file, nullptr);
        std::string bytes(static_cast<size_t>(PHYSFS_fileLength(file)), '\0');
        EXPECT_EQ(PHYSFS_readBytes(file, bytes.data(), bytes.size()), static_cast<PHYSFS_sint64>(bytes.size()));
        PHYSFS_close(file);
        out[path] = std::move(bytes);
    }
    PHYSFS_freeList(names);
}

TEST(ContentPackage, HoldsTheDataFolderFileForFile)
{
    ASSERT_NE(PHYSFS_init(nullptr), 0);
    ASSERT_NE(PHYSFS_mount(VELK_PACKAGE, nullptr, 0), 0) << PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
    std::map<std::string, std::string> packed;
    ReadPackageFolder("", packed);
    PHYSFS_deinit();

    std::map<std::string, std::string> folder;
    for (const auto& entry : fs::recursive_directory_iterator(kData))
        if (entry.is_regular_file())
            folder[fs::relative(entry.path(), kData).generic_string()] = ReadFile(entry.path());
    ASSERT_EQ(packed.size(), folder.size());
    for (const auto& [path, bytes] : folder) {
        ASSERT_TRUE(packed.count(path)) << path;
        EXPECT_TRUE(packed[path] == bytes) << path;
    }
}

} // namespace

TEST(ContentMusic, TheLevelMusicHasThePartsTheRulesPlay)
{
    // The rules play "<level music> <part>"; a Classic round's level music is "Wopple Theme".
    const auto music = RunMetadata(kData / "music" / "metadata.cfg");
    ASSERT_TRUE(music.count("Wopple.mid"));
    const auto& parts = music.at("Wopple.mid").parts;
    for (const char* part : {"Intro", "Part 1", "Part 2", "Part 3", "Part 4", "Break", "Loop", "Ending"}) {
        const std::string name = std::string("Wopple Theme ") + part;
        ASSERT_TRUE(parts.count(name)) << name;
        EXPECT_GT(parts.at(name).second, 0) << name;
    }
}

TEST(ContentMusic, TheMenuAndTheMapLoopTheirPart)
{
    const auto music = RunMetadata(kData / "music" / "metadata.cfg");
    ASSERT_TRUE(music.count("Wopple.mid"));
    const auto& parts = music.at("Wopple.mid").parts;
    ASSERT_TRUE(parts.count("Loop"));
    EXPECT_GT(parts.at("Loop").second, 0);
}

// The quest map: the islands' looks are laid over one another (the roll-over
// and selection outlines over the island), and nothing may reach under the
// level panel right of the 450 pixels of the chart.
TEST(ContentMap, IslandLooksMatchAndEverythingStaysOnTheChart)
{
    const fs::path map = kData / "images" / "map";
    const std::pair<int, int> islandAt[] = {{46, 107}, {227, 95}, {238, 198}, {28, 186}, {169, 256},
                                            {365, 291}, {162, 349}, {32, 301}, {6, 414}, {147, 474}};
    const auto size = [](const fs::path& path) {
        auto surface = LoadPicture(path);
        EXPECT_TRUE(surface) << path.filename() << ": " << IMG_GetError();
        return surface ? std::make_pair(surface->w, surface->h) : std::make_pair(0, 0);
    };
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE("island " + std::to_string(n));
        const auto [w, h] = size(map / ("island" + std::to_string(n) + "_b.png"));
        for (const char* look : {"bw", "g", "hl", "sl"})
            EXPECT_EQ(size(map / ("island" + std::to_string(n) + "_" + look + ".png")), std::make_pair(w, h)) << look;
        EXPECT_LE(islandAt[n - 1].first + w, 450);
        EXPECT_LE(islandAt[n - 1].second + h, 600);
        const auto plate = size(map / ("islandName" + std::to_string(n) + ".png"));
        for (const char* look : {"Unlocked", "Locked"})
            EXPECT_EQ(size(map / ("islandName" + std::to_string(n) + look + ".png")), plate) << look;
    }

    // Every route is listed with its place, from island 1 to island 10.
    std::ifstream in(VELK_MAP_PATHS);
    ASSERT_TRUE(in) << VELK_MAP_PATHS;
    std::set<std::string> routes;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string name;
        int x = -1, y = -1;
        if (!(words >> name))
            continue;
        ASSERT_TRUE(words >> x >> y) << line;
        SCOPED_TRACE(name);
        const auto [w, h] = size(map / name);
        EXPECT_GE(x, 0);
        EXPECT_GE(y, 0);
        EXPECT_LE(x + w, 450);
        EXPECT_LE(y + h, 600);
        routes.insert(name);
    }
    for (int n = 1; n <= 9; ++n)
        EXPECT_TRUE(routes.count("path" + std::to_string(n) + ".png")) << n;
}
