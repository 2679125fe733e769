#pragma once

#include "graphics/Image.h"
#include "graphics/ImagePoolRef.h"
#include "shell/CritSect.h"

#include <exception>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Pyxo {

class Font;
class MemoryImage;
class PyxoAppBase;
class SoundManager;
class XMLParser;
struct XMLItem;

/// Thrown by the throwing lookups of the resource manager; carries the manager's error text at the time of the
/// throw.
class ResourceManagerException : public std::exception {
public:
    explicit ResourceManagerException(std::string text) : mText(std::move(text)) {}
    [[nodiscard]] const char* what() const noexcept override { return mText.c_str(); }

    std::string mText;
};

/// Owns every image, sound and font that the resource manifest declares. Reads the manifest once into records,
/// loads the records of a named group on request (all at once, or one per call so that a caller can show
/// progress), hands out loaded resources by id, and frees a group's loaded data again. Images come from the
/// application's pool of shared images, sounds go into its sound manager, fonts are system or image fonts.
/// Errors: the first error is kept (GetErrorText) until the next load starts; loading stops at the first failing
/// record, leaving the records before it loaded.
/// Threads: one thread loads at a time (the main thread or the resource-loading thread); other threads may look
/// up resources meanwhile, since every operation takes the manager's lock, which a load holds for one record at
/// a time. A failed lookup is reported to its caller alone: it records no error and never stops a group that
/// is loading. Sounds obey the sound manager's thread rule.
class ResourceManager {
public:
    enum ResType { ResType_Image = 0, ResType_Sound = 1, ResType_Font = 2 };

    /// One resource of the manifest. Declared when the manifest is read; loaded, freed and loaded again later.
    struct BaseRes {
        virtual ~BaseRes() = default;
        /// Frees the loaded data and keeps the record.
        virtual void DeleteResource() {}

        int mType = ResType_Image;
        std::string mId;                                     // the key in the map of its kind
        std::string mResGroup;                               // the group that declared it
        std::string mPath;                                   // as stored by the manifest reader
        std::map<std::wstring, std::wstring> mXMLAttributes; // every attribute of the entry
        bool mFromProgram = false;                           // path "!program": never loaded from a file
        int mManifestLine = 0;                               // where the manifest declares it (0: unknown)
        std::string mManifestFile;
    };

    struct ImageRes : BaseRes {
        ImageRes() { mType = ResType_Image; }
        void DeleteResource() override { mImage.Release(); }

        ImagePoolRef mImage; // empty while not loaded
        std::string mAlphaImage;
        std::string mAlphaGridImage;
        std::string mVariant;
        bool mPalletize = true;
        bool mA4R4G4B4 = false;
        bool mA8R8G8B8 = false;
        bool mDDSurface = false;
        bool mPurgeBits = false;
        bool mMinimizeSubdivisions = false;
        int mRows = 1;
        int mCols = 1;
        uint32_t mAlphaColor = 0xFFFFFF;
        AnimInfo mAnimInfo; // as the manifest gives it; completed for each load
        int mBeginDelay = 0;
        int mEndDelay = 0;

        /// The animation info completed for the record's cels (the larger of rows and cols), with the begin and
        /// end delays; false when it would last longer than an int counts.
        [[nodiscard]] bool CompleteAnimation(AnimInfo& anim) const;
    };

    struct SoundRes : BaseRes {
        SoundRes() { mType = ResType_Sound; }
        void DeleteResource() override;

        int mSoundId = -1; // -1 = not loaded
        double mVolume = -1.0;
        int mPanning = 0;
        SoundManager* mSoundManager = nullptr; // borrowed: the manager that holds the loaded sound
    };

    struct FontRes : BaseRes {
        FontRes();
        ~FontRes() override;
        void DeleteResource() override;

        std::unique_ptr<Font> mFont; // null while not loaded
        std::string mImagePath;
        std::string mTags;
        bool mSysFont = false;
        bool mBold = false;
        bool mItalic = false;
        bool mUnderline = false;
        bool mShadow = false;
        int mSize = 0;
    };

    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;
    using ResList = std::vector<BaseRes*>; // borrowed from the maps

    /// The application is borrowed; it must outlive the manager.
    explicit ResourceManager(PyxoAppBase* app);
    virtual ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    /// Reads the manifest; false when any error was recorded (GetErrorText tells which). Records read before an
    /// error stay.
    [[nodiscard]] bool ParseResourcesFile(const std::string& fileName);

    [[nodiscard]] std::string GetErrorText() const;
    [[nodiscard]] bool HasFailed() const;
    /// The group's last LoadResources succeeded and it was not freed since.
    [[nodiscard]] bool IsGroupLoaded(const std::string& group) const;
    /// The manifest declares the group (with records or without).
    [[nodiscard]] bool HasGroup(const std::string& group) const;

    /// Loads every record of the group that is not loaded yet; a group the manifest never names loads nothing
    /// and succeeds.
    virtual bool LoadResources(const std::string& group);
    /// The same work one record per LoadNextResource call, which is false once the group is done or has failed.
    virtual void StartLoadResources(const std::string& group);
    virtual bool LoadNextResource();
    /// Frees the loaded data of the group's records; an empty name frees every record. The records stay.
    virtual void DeleteResources(const std::string& group);

    /// The image of an image record, loaded first when needed; empty for an unknown id or a failed load.
    ImagePoolRef LoadImage(const std::string& id);
    /// The loaded font of a font record, null when unknown or not loaded; never loads. Owned by the manager.
    [[nodiscard]] Font* FindFont(const std::string& id);
    /// Puts a program-made image in place of the record's image. On true the manager owns the image; on false
    /// (unknown id) the caller keeps it.
    bool ReplaceImage(const std::string& id, MemoryImage* image);

    /// The loaded resource; an unknown or unloaded id throws ResourceManagerException with "... resource not
    /// found: <id>", leaving the manager's error and any group load untouched. Never load.
    virtual ImagePoolRef GetImageThrow(const std::string& id);
    virtual int GetSoundThrow(const std::string& id);
    virtual Font* GetFontThrow(const std::string& id);

protected:
    // Manifest reading. Each returns false once an error was recorded.
    /// Fills the common fields and enters the record (taking ownership) into the map of its kind and the
    /// current group.
    virtual bool ParseCommonResource(XMLItem& item, std::unique_ptr<BaseRes> res, ResMap& map);
    virtual bool ParseSoundResource(XMLItem& item);
    virtual bool ParseImageResource(XMLItem& item);
    virtual bool ParseFontResource(XMLItem& item);
    virtual bool ParseSetDefaults(XMLItem& item);
    /// Reads the body of one Resources section; true once its end tag was read.
    virtual bool ParseResources();

    virtual void DeleteMap(ResMap& map, const std::string& group);
    virtual bool DoLoadImage(ImageRes& res);
    virtual bool DoLoadFont(FontRes& res);
    virtual bool DoLoadSound(SoundRes& res);
    /// Called after each record that loaded.
    virtual void ResourceLoadedHook(BaseRes* /*res*/) {}

    /// Keeps the first error: sets the failed flag and the text (with the manifest's line and file while it is
    /// being read). Always false.
    bool Fail(const std::string& message);
    /// Fail with the line and file of the record's declaration, for errors found when it loads.
    bool FailRecord(const BaseRes& res, const std::string& message);

    std::set<std::string> mLoadedGroups;
    ResMap mImageMap;
    ResMap mSoundMap;
    ResMap mFontMap;
    std::unique_ptr<XMLParser> mXMLParser; // only while the manifest is read
    std::string mError;
    bool mHasFailed = false;
    PyxoAppBase* mApp = nullptr; // borrowed
    std::string mCurResGroup;
    std::string mDefaultPath;     // empty, or ends in '/'
    std::string mDefaultIdPrefix; // prepended to every id
    std::map<std::string, ResList> mResGroupMap;
    ResList* mCurResList = nullptr; // the list being loaded, in mResGroupMap
    size_t mCurResPos = 0;          // next record of mCurResList
    bool mGroupFailed = false;      // a record of mCurResList failed; set by its own steps only
    mutable CritSect mLock;         // guards every field above

private:
    bool DoParseResourcesFile(const std::string& fileName);
    bool MergeAlphaImage(const ImageRes& res, MemoryImage& image);
    bool MergeAlphaGrid(const ImageRes& res, MemoryImage& image);
};

} // namespace Pyxo
