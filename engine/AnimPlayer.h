#pragma once

#include "engine/AnimationEffectFunctions.h"
#include "engine/AnmFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TMEffect;
class TMItemPart;

/// Plays the sequences of one animation file: selects a sequence by name (or a random numbered variant of it),
/// and advances the current frame with timer 1 of its own effect, whose range control turns the timer's progress
/// into a frame and whose point controls flag the end of a once-played sequence or of a run to a frame. The
/// owning item part calls Update each frame and is told when a running sequence is stopped. Main thread, except
/// Load (the level-loading thread).
class AnimPlayer {
public:
    enum State : int32_t { New = 0, Playing = 1, Paused = 2, Stopped = 3 };
    /// Timer 1's controls.
    enum Control : int32_t { FrameControl = 0, EndControl = 1, TargetControl = 2 };

    explicit AnimPlayer(TMItemPart* owner);
    ~AnimPlayer();
    AnimPlayer(const AnimPlayer&) = delete;
    AnimPlayer& operator=(const AnimPlayer&) = delete;

    /// Reads anm\<name>.anm; false (keeping no data) when it is missing or refused.
    bool Load(const std::string& name);
    [[nodiscard]] int FindSequence(const std::string& name) const;
    /// The sequence of exactly that name, else a random numbered variant (name01, name02, ...); false when nothing
    /// is loaded, the name is empty or nothing matches (the previous sequence then plays on).
    bool Play(const std::string& name, bool keepTime);
    /// A random numbered variant of the name, keeping the time position.
    bool PlayVariant(const std::string& name);
    void SetSequence(int index, bool keepTime);
    void Stop();
    bool Pause();
    bool Resume();
    /// Advances by the frame time while playing; ended receives the end-of-sequence flag, which is then cleared.
    void Update(bool& ended);
    void CancelPlayToFrame();
    /// Runs the current sequence up to the frame (below the frame count) and pauses there; false otherwise.
    bool PlayToFrame(int frame);

    /// While playing or paused; null otherwise.
    [[nodiscard]] AnmSequence* GetCurrentSequence();
    [[nodiscard]] const AnmFrame* GetCurrentFrame();
    /// Seconds of the current sequence; 0 without data or at 0 frames per second.
    [[nodiscard]] float GetDuration() const;

    [[nodiscard]] AnmFile* GetData() const { return mData.get(); }
    [[nodiscard]] int32_t GetState() const { return mState; }
    [[nodiscard]] int32_t GetFrameIndex() const { return mFrame; }
    [[nodiscard]] int32_t GetSequenceIndex() const { return mSequence; }
    [[nodiscard]] int32_t GetTargetFrame() const { return mTargetFrame; }
    [[nodiscard]] TMEffect* GetEffect() const { return mEffect.get(); }

    // Nothing sets these yet: with the flag, Update lands timer 1 on that fraction of the sequence.
    bool mSync = false;
    float mSyncFactor = 0.0f;

private:
    [[nodiscard]] AnmFrameBlock* CurrentBlock() const;
    /// A random one of the name's numbered variants, or -1.
    int PickVariant(const std::string& name);
    [[nodiscard]] bool IsRunningTimer() const;

    std::unique_ptr<AnmFile> mData;
    int32_t mSequence = -1;
    std::map<std::string, std::vector<int>> mVariants;
    int32_t mState = New;
    int32_t mFrame = 0;
    std::unique_ptr<TMEffect> mEffect;
    TMItemPart* mOwner = nullptr; // borrowed
    bool mEnded = false;
    int32_t mTargetFrame = -1;
    AnimFrameTiming mTiming; // the current sequence's, for the timer functions (parameter 2)
};
