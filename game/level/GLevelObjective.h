#pragma once

#include "engine/core/CNameTable.h"
#include "engine/core/CRefPtr.h"
#include "engine/core/OskelTypes.h"

namespace oskel {
class CTextDictionary;
class CXmlReader;
}  // namespace oskel

namespace brasquel {

class GBuildingConfig;
class GBuildingNode;
class GGameLevelScene;

// The kinds of objective, by the "Type" of their "Objective" element.
enum ELevelObjectiveKind : oskel::s32 {
    LevelObjectiveMoney,
    LevelObjectiveIncome,
    LevelObjectiveWorkers,
    LevelObjectiveGuestsCount,
    LevelObjectiveHaveTypedBuildingsCount,
    LevelObjectiveHaveEachTypeBuildingsCount,
    LevelObjectiveTypedHistoryActionsCount,
    LevelObjectiveHaveConcurrentFeatures,
    LevelObjectiveKindCount
};

// "MinIncomeBonus" when the element does not give one.
constexpr oskel::f32 LevelObjectiveNoMinIncomeBonus = -10000.0f;

// One condition of winning a level, read from an "Objective" element, with the texts the
// objectives panel and the play screen show.
class GLevelObjective : public virtual oskel::IReferenceCounted {
public:
    ~GLevelObjective() override = default;

    // Forgets what the objective remembers of a level (the level scene calls it when it gets its
    // configuration).
    virtual void reset() {}
    // Whether the level meets the objective now.
    virtual bool isCompleted(const GGameLevelScene& level) = 0;
    // The current number, "/", the target: money amounts through the dictionary's "MoneyDollar"
    // (grouped digits; the bare number without a dictionary), other counts as plain numbers.
    virtual oskel::stringw getProgressText(const GGameLevelScene& level,
                                           const oskel::CTextDictionary* dictionary) const = 0;
    // The description: the element's "InfoStr", or for the money flow, workers and guests the
    // dictionary's text with the target as its parameter (full: the long form of the income).
    virtual oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary,
                                       bool full) const = 0;
    // The dictionary reference shown when this objective is the last one missing, or empty.
    virtual oskel::stringw getHintText() const { return oskel::stringw(); }
    // Reads the attributes of the "Objective" element the reader stands on.
    virtual void read(oskel::CXmlReader* reader) = 0;

    virtual ELevelObjectiveKind getKind() const = 0;
    // The kind's "Type" name.
    static const wchar_t* typeNameOf(ELevelObjectiveKind kind);

protected:
    GLevelObjective() = default;
};

// A money amount to reach.
class GLevelObjectiveMoney : public GLevelObjective {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary, bool full) const override;
    oskel::stringw getHintText() const override;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveMoney; }

    oskel::f32 Value = 0.0f;
    oskel::stringw InfoStr;
};

// A daily income of the working lots to reach.
class GLevelObjectiveIncome : public GLevelObjective {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary, bool full) const override;
    oskel::stringw getHintText() const override;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveIncome; }

    oskel::f32 Value = 0.0f;
};

// A number of workers in all (the busy ones count).
class GLevelObjectiveWorkers : public GLevelObjective {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    oskel::s32 current(const GGameLevelScene& level) const;
    oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary, bool full) const override;
    oskel::stringw getHintText() const override;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveWorkers; }

    oskel::s32 Value = 0;
};

// A number of guests in the working lots.
class GLevelObjectiveGuestsCount : public GLevelObjective {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    oskel::s32 current(const GGameLevelScene& level) const;
    oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary, bool full) const override;
    oskel::stringw getHintText() const override;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveGuestsCount; }

    oskel::s32 Value = 0;
};

// The kinds whose description is their "InfoStr".
class GLevelObjectiveWithInfo : public GLevelObjective {
public:
    oskel::stringw getInfoText(const oskel::CTextDictionary* dictionary, bool full) const override;
    oskel::stringw InfoStr;
};

// A number of lots of the listed types on the listed places (either list empty: any).
class GLevelObjectiveHaveTypedBuildingsCount : public GLevelObjectiveWithInfo {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    // The number the objective counts in the level now.
    oskel::s32 count(const GGameLevelScene& level) const;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveHaveTypedBuildingsCount; }

    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::array<oskel::CNameId> PlaceNames;
    oskel::s32 Value = 0;
    oskel::f32 MinIncomeBonus = LevelObjectiveNoMinIncomeBonus;
    oskel::s32 MinServedGuests = 0;
    bool MustOwn = false;
};

// Value lots of each listed type (each type counts up to Value).
class GLevelObjectiveHaveEachTypeBuildingsCount : public GLevelObjectiveWithInfo {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    // Per listed type the lots of it, each type counting up to Value; and the target.
    oskel::s32 count(const GGameLevelScene& level) const;
    oskel::s32 target() const { return Value * static_cast<oskel::s32>(BuildingTypes.size()); }
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override {
        return LevelObjectiveHaveEachTypeBuildingsCount;
    }

    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::s32 Value = 0;
    bool MustOwn = false;
};

// A number of recorded actions of one kind on the listed types and places.
class GLevelObjectiveTypedHistoryActionsCount : public GLevelObjectiveWithInfo {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    // The number the objective counts in the level now.
    oskel::s32 count(const GGameLevelScene& level) const;
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveTypedHistoryActionsCount; }

    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::array<oskel::CNameId> PlaceNames;
    oskel::s32 Value = 0;
    oskel::s32 Action = 0;
};

// Features running at the same time: pairs of a type and a feature index of it. Once met it
// stays met until reset.
class GLevelObjectiveHaveConcurrentFeatures : public GLevelObjectiveWithInfo {
public:
    bool isCompleted(const GGameLevelScene& level) override;
    oskel::stringw getProgressText(const GGameLevelScene& level,
                                   const oskel::CTextDictionary* dictionary) const override;
    // The number the objective counts in the level now.
    oskel::s32 count(const GGameLevelScene& level) const;
    void reset() override { Done = false; }
    void read(oskel::CXmlReader* reader) override;
    ELevelObjectiveKind getKind() const override { return LevelObjectiveHaveConcurrentFeatures; }

    oskel::array<oskel::CNameId> BuildingTypes;
    oskel::array<oskel::s32> FeatureIndices;
    bool Done = false;
};

// The type a lot counts as in objectives: its current one, the previous one while it is rebuilt,
// none while it is demolished.
const GBuildingConfig* effectiveObjectiveType(const GBuildingNode& lot);
// Owned, not on sale, not in maintenance and without a problem.
bool isHealthyForObjectives(const GBuildingNode& lot);

// A new objective (one reference) of the kind whose "Type" equals the name exactly, or none.
[[nodiscard]] GLevelObjective* createLevelObjective(const oskel::stringw& typeName);

// The objectives of a level, in the file's order.
class GLevelObjectiveList : public virtual oskel::IReferenceCounted {
public:
    GLevelObjectiveList() = default;
    ~GLevelObjectiveList() override = default;
    GLevelObjectiveList(const GLevelObjectiveList&) = delete;
    GLevelObjectiveList& operator=(const GLevelObjectiveList&) = delete;

    // With the reader on the start of an "Objectives" element: replaces the objectives with its
    // "Objective" children of a known "Type" (others are skipped silently), up to its end. False
    // when the document ended first (what was read stays).
    bool read(oskel::CXmlReader* reader);
    // Resets every objective.
    void resetAll();

    oskel::u32 size() const { return m_objectives.size(); }
    void append(GLevelObjective* objective);
    GLevelObjective* get(oskel::u32 index) const { return m_objectives[index].get(); }

private:
    oskel::array<oskel::CRefPtr<GLevelObjective>> m_objectives;
};

}  // namespace brasquel
