#pragma once

#include "engine/audio/SoundCue.h"
#include "engine/content/CResource.h"
#include "engine/core/CRefPtr.h"

namespace oskel {

class CSoundGroupManager;
class CXmlReader;
class IAudioDriver;

// The game's cues, declared in one file ("sounds/SoundPack.xml"): a shared resource ('sndp')
// holding its cues in file order. The cues are templates: they are registered with the sound
// group manager, which plays instances of them.
//
//   <SoundPack>
//     <SoundCue Name="ButtonClick" GroupID="0" Vol="0.8" Loop="false" StreamingType="0">
//       <Sound Filename="click1.ogg"/>
//       <Sound Filename="click2.ogg"/>
//     </SoundCue>
//   </SoundPack>
class SoundPack : public CResource {
public:
    // An empty pack; its content manager and name are the context's.
    explicit SoundPack(const CCreationContext& context);
    ~SoundPack() override = default;

    u32 getTypeCode() const override { return TypeCodeSoundPack; }

    // Reads every "SoundCue" element into a new cue (named by "Name") until the end element
    // "SoundPack"; other elements are passed over. The cues load their sounds through the pack's
    // content manager (see SoundCue::load for the audio driver). False when the text ends
    // before "</SoundPack>" or a cue is cut off (logged); the cues read until then are kept.
    [[nodiscard]] bool load(CXmlReader* reader, IAudioDriver* audioDriver = nullptr);
    // Registers every cue with the manager, in file order; the number registered (a cue whose
    // name the manager knows already is refused).
    u32 registerCues(CSoundGroupManager* manager) const;

    u32 getCueCount() const { return m_cues.size(); }
    SoundCue* getCue(u32 index) const { return index < m_cues.size() ? m_cues[index].get() : nullptr; }
    // The first cue of the name, or none.
    SoundCue* findCue(const CNameId& name) const;

private:
    array<CRefPtr<SoundCue>> m_cues;
};

}  // namespace oskel
