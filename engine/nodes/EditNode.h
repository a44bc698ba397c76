#pragma once

#include "engine/core/CRefPtr.h"
#include "engine/core/Clock.h"
#include "engine/scene/ControlNode.h"

namespace oskel {

class TextNode;

// The one-field text editor: it keeps its own text, shows it as typed (no dictionary) in the
// "Text" child of its template and draws the caret with that child's "Cursor" child. It takes
// typed characters (filtered by an input mask and a length limit), Backspace, Delete, Enter,
// Home, End and the arrow keys, and places the caret by a click. Every editing key posts a value
// change (60) to the parents. Keys that arrive within InputGuardMs of the last setText are
// swallowed.
class EditNode : public ControlNode {
public:
    static constexpr u64 InputGuardMs = 100;
    // MaxTextLength: no limit.
    static constexpr s32 NoLengthLimit = -1;
    // The classes of characters an input mask allows.
    enum ECharClass : u32 {
        CharClassDigit = 1,      // "0"
        CharClassLetter = 2,     // "A"
        CharClassBlank = 4,      // "S": space and tab
        CharClassLineBreak = 8,  // "R": carriage return and line feed
        CharClassTab = 16,       // "T"
        CharClassAll = 31,
    };

    EditNode(const CCreationContext& context, BaseNode* parent = nullptr,
             SceneManager* manager = nullptr);
    ~EditNode() override;

    const CPropertyTable& getPropertyTable() const override;
    BaseNode* clone(BaseNode* parent, SceneManager* manager) const override;
    const stringw& getClassName() const override;
    const stringw& getThisClassName() const override;
    s32 getTypeId() const override { return NodeTypeEdit; }
    bool isKindOf(s32 typeId) const override {
        return typeId == NodeTypeEdit || ControlNode::isKindOf(typeId);
    }
    void copyFrom(const BaseNode* source, SceneManager* manager) override;
    // The cursor shows exactly while the field is focused.
    void setFocused(bool focused) override;
    void applyTemplate() override;
    bool onMouseLeftDown(CEvent* event) override;
    bool onKeyDown(CEvent* event) override;
    bool onKeyUp(CEvent*) override { return false; }

    void saveProperties(CPropertySet* set) const override;
    void loadProperties(const CPropertySet* set) override;

    // Stores the text; with a text child shows it, puts the caret at the start and restarts the
    // input guard. Posts nothing.
    void setText(const stringw& text);
    const stringw& getText() const { return m_text; }
    void setMaxTextLength(s32 length) { m_maxLength = length; }
    s32 getMaxTextLength() const { return m_maxLength; }
    // Letters of the mask (any case, any order; others ignored): "0" digits, "A" letters, "S"
    // blanks, "R" line breaks, "T" tabs. An empty mask allows every character.
    void setInputMask(const stringc& mask);
    const stringc& getInputMask() const { return m_mask; }
    bool isCharAllowed(wchar_t character) const;

    // The clock of the input guard (not owned; the system's monotonic clock unless a test hands
    // another). Setting it restarts the guard at its time.
    void setClock(IClock* clock);
    IClock* getClock() const { return m_clock; }

    // The caret: the text child's line and column of the character it follows (-1: before the
    // line's first), and its position in the text.
    s32 getCaretLine() const { return m_caretLine; }
    s32 getCaretColumn() const { return m_caretColumn; }
    s32 getCaretPosition() const { return m_caretPosition; }
    // Puts the cursor at the caret: the top of its line, at the right edge of the character the
    // caret follows or at the line's start.
    void placeCaret();

    TextNode* getTextChild() const { return m_textChild.get(); }
    BaseNode* getCursor() const { return m_cursor.get(); }

private:
    bool withinGuard();
    // The caret at a position of the text; then the cursor.
    void moveCaretTo(s32 position);
    // The caret at a line and column of the layout; then the cursor.
    void moveCaretToPlace(s32 line, s32 column);
    // Shows the text after an edit and puts the caret at the position.
    void showEdit(s32 caret);
    void postValueChanged();
    bool atLengthLimit() const;

    stringw m_text;
    s32 m_maxLength = NoLengthLimit;
    stringc m_mask;
    u32 m_allowed = CharClassAll;
    CRefPtr<TextNode> m_textChild;
    CRefPtr<BaseNode> m_cursor;
    s32 m_caretLine = 0;
    s32 m_caretColumn = -1;
    s32 m_caretPosition = 0;
    IClock* m_clock;
    u64 m_guardTime;
};

inline EditNode* asEditNode(BaseNode* node) {
    return node && node->isKindOf(NodeTypeEdit) ? static_cast<EditNode*>(node) : nullptr;
}

}  // namespace oskel
