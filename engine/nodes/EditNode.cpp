#include "engine/nodes/EditNode.h"

#include <algorithm>

#include "engine/core/CharClasses.h"
#include "engine/core/event/DeviceEvents.h"
#include "engine/core/event/VirtualKeys.h"
#include "engine/nodes/NodeResources.h"
#include "engine/nodes/TextNode.h"
#include "engine/properties/CPropertySet.h"
#include "engine/scene/SceneManager.h"

namespace oskel {

namespace {

IClock& systemClock() {
    static CMonotonicClock clock;
    return clock;
}

constexpr wchar_t CharSpace = L' ';

bool isLineBreak(wchar_t c) { return c == KeyCharCarriageReturn || c == KeyCharLineFeed; }

// The characters a removal at the position takes: a CR LF pair goes as one.
s32 spanAt(const stringw& text, s32 position) {
    const s32 length = static_cast<s32>(text.size());
    if (position + 1 < length && text[static_cast<u32>(position)] == KeyCharCarriageReturn &&
        text[static_cast<u32>(position + 1)] == KeyCharLineFeed)
        return 2;
    return 1;
}

stringw withoutRange(const stringw& text, s32 position, s32 count) {
    const s32 length = static_cast<s32>(text.size());
    stringw result = position > 0 ? text.subString(0, static_cast<u32>(position)) : stringw();
    if (position + count < length)
        result += text.subString(static_cast<u32>(position + count), length - position - count);
    return result;
}

stringw withChar(const stringw& text, s32 position, wchar_t character) {
    const s32 length = static_cast<s32>(text.size());
    stringw result = position > 0 ? text.subString(0, static_cast<u32>(position)) : stringw();
    result.append(character);
    if (position < length) result += text.subString(static_cast<u32>(position), length - position);
    return result;
}

}  // namespace

EditNode::EditNode(const CCreationContext& context, BaseNode* parent, SceneManager* manager)
    : ControlNode(context, parent, manager),
      m_clock(&systemClock()),
      m_guardTime(m_clock->nowMs()) {}

EditNode::~EditNode() {
    m_textChild = nullptr;
    m_cursor = nullptr;
}

const CPropertyTable& EditNode::getPropertyTable() const {
    static const CPropertyTable table = [this] {
        CPropertyTable t = ControlNode::getPropertyTable();
        TPropertyTableBuilder<EditNode>(t)
            .field<&EditNode::m_text, &EditNode::setText, CWideTextBox>("Text")
            .field<&EditNode::m_maxLength>("MaxTextLength")
            .field<&EditNode::m_mask, &EditNode::setInputMask>("InputMask");
        return t;
    }();
    return table;
}

BaseNode* EditNode::clone(BaseNode* parent, SceneManager* manager) const {
    return cloneAs<EditNode>(this, parent, manager);
}

const stringw& EditNode::getClassName() const {
    static const stringw name(L"EditNode");
    return name;
}

const stringw& EditNode::getThisClassName() const {
    static const stringw name(L"EditNode");
    return name;
}

// ---- Settings ----

void EditNode::setClock(IClock* clock) {
    m_clock = clock ? clock : &systemClock();
    m_guardTime = m_clock->nowMs();
}

void EditNode::setText(const stringw& text) {
    m_text = text;
    if (!m_textChild) return;
    m_textChild->setText(m_text);
    moveCaretTo(0);
    m_guardTime = m_clock->nowMs();
}

void EditNode::setInputMask(const stringc& mask) {
    m_mask = mask;
    if (mask.empty()) {
        m_allowed = CharClassAll;
        return;
    }
    m_allowed = 0;
    for (u32 i = 0; i < mask.size(); ++i) {
        switch (mask[i]) {
            case '0':
                m_allowed |= CharClassDigit;
                break;
            case 'a':
            case 'A':
                m_allowed |= CharClassLetter;
                break;
            case 's':
            case 'S':
                m_allowed |= CharClassBlank;
                break;
            case 'r':
            case 'R':
                m_allowed |= CharClassLineBreak;
                break;
            case 't':
            case 'T':
                m_allowed |= CharClassTab;
                break;
            default:
                break;
        }
    }
}

bool EditNode::isCharAllowed(wchar_t character) const {
    if (m_mask.empty()) return true;
    const u32 c = static_cast<u32>(character);
    if ((m_allowed & CharClassLineBreak) && isLineBreak(character)) return true;
    if ((m_allowed & CharClassTab) && c == KeyCharTab) return true;
    if ((m_allowed & CharClassDigit) && isDecimalDigitChar(c)) return true;
    if ((m_allowed & CharClassLetter) && isLetterChar(c)) return true;
    if ((m_allowed & CharClassBlank) && (character == CharSpace || c == KeyCharTab)) return true;
    return false;
}

bool EditNode::atLengthLimit() const {
    return m_maxLength != NoLengthLimit && static_cast<s32>(m_text.size()) >= m_maxLength;
}

// ---- Caret ----

void EditNode::moveCaretTo(s32 position) {
    const s32 length = static_cast<s32>(m_text.size());
    m_caretPosition = std::max(0, std::min(position, length));
    if (m_textChild) m_textChild->getCaretPlace(m_caretPosition, m_caretLine, m_caretColumn);
    placeCaret();
}

void EditNode::moveCaretToPlace(s32 line, s32 column) {
    if (!m_textChild) return;
    // A key that leaves the place as it is keeps the position (it may lie in blanks that the
    // alignment does not show).
    if (line == m_caretLine && column == m_caretColumn) {
        placeCaret();
        return;
    }
    const s32 position = m_textChild->getCaretPosition(line, column);
    if (position >= 0)
        moveCaretTo(position);
    else
        placeCaret();
}

void EditNode::placeCaret() {
    if (!m_cursor || !m_textChild) return;
    const TextNode* text = m_textChild.get();
    const f32 y = text->getLineTop(m_caretLine);
    const f32 x = m_caretColumn < 0
                      ? text->getLineLeft(m_caretLine)
                      : text->getCharRect(m_caretLine, m_caretColumn).LowerRightCorner.X;
    m_cursor->setPosition(vector3df(x, y, 0.0f));
}

void EditNode::showEdit(s32 caret) {
    if (m_textChild) m_textChild->setText(m_text);
    moveCaretTo(caret);
}

void EditNode::postValueChanged() {
    postEventToParent(DispatchSelfThenParents, makeEvent<CEventNodeValueChanged>(this).get());
}

bool EditNode::withinGuard() {
    const u64 now = m_clock->nowMs();
    return now >= m_guardTime && now - m_guardTime < InputGuardMs;
}

// ---- Template and focus ----

void EditNode::applyTemplate() {
    if (!getSceneManager()) return;
    CRefPtr<BaseNode> self(this);
    ControlNode::applyTemplate();
    m_textChild = nullptr;
    m_cursor = nullptr;
    if (ControlNode* instance = getTemplateInstance())
        m_textChild.assign(asTextNode(instance->findChildByName(CNameId("Text").getId(), 1)));
    if (m_textChild) {
        // The field shows what was typed: "%" and dictionary keys stay as they are.
        m_textChild->setTranslated(false);
        m_cursor.assign(m_textChild->findChildByName(CNameId("Cursor").getId(), 1));
    }
    setText(m_text);
    if (m_cursor) m_cursor->setVisible(isFocused());
}

void EditNode::setFocused(bool focused) {
    ControlNode::setFocused(focused);
    if (m_cursor) m_cursor->setVisible(isFocused());
}

// ---- Input ----

bool EditNode::onMouseLeftDown(CEvent* event) {
    if (!ControlNode::onMouseLeftDown(event)) return false;
    if (!m_textChild) return true;
    auto* e = static_cast<CEventMouseLeftDown*>(event);
    TextNode* text = m_textChild.get();
    if (text->isTransformDirty()) text->updateAbsoluteTransform();
    matrix4 inverse;
    if (!text->getAbsoluteTransform().getInverse(inverse)) return true;
    vector3df local(static_cast<f32>(e->getX()), static_cast<f32>(e->getY()), 0.0f);
    inverse.transformVect(local);
    s32 line = 0, column = -1;
    text->getCharIndexAt(vector2df(local.X, local.Y), line, column);
    moveCaretToPlace(line, column);
    return true;
}

bool EditNode::onKeyDown(CEvent* event) {
    // Keys pressed before the field can edit, or right after its text was set, are swallowed.
    if (!m_textChild || withinGuard()) return true;
    CRefPtr<BaseNode> self(this);
    auto* e = static_cast<CEventKeyboardKey*>(event);
    TextNode* text = m_textChild.get();
    m_textChild->getCaretPlace(m_caretPosition, m_caretLine, m_caretColumn);
    const s32 line = m_caretLine;
    const s32 column = m_caretColumn;
    const s32 lines = static_cast<s32>(text->getLineCount());
    auto lengthOf = [text](s32 l) {
        return static_cast<s32>(text->getLine(static_cast<u32>(l)).size());
    };
    const s32 position = m_caretPosition;

    switch (e->getKey()) {
        case VirtualKeyBackspace:
            if (position > 0) {
                const s32 from = position >= 2 && spanAt(m_text, position - 2) == 2 ? position - 2
                                                                                    : position - 1;
                m_text = withoutRange(m_text, from, position - from);
                showEdit(from);
            } else {
                placeCaret();
            }
            postValueChanged();
            return true;
        case VirtualKeyDelete:
            if (position < static_cast<s32>(m_text.size())) {
                m_text = withoutRange(m_text, position, spanAt(m_text, position));
                showEdit(position);
            } else {
                placeCaret();
            }
            postValueChanged();
            return true;
        case VirtualKeyEnter:
            if (!atLengthLimit() && isCharAllowed(KeyCharLineFeed)) {
                m_text = withChar(m_text, position, KeyCharLineFeed);
                showEdit(position + 1);
                postValueChanged();
            } else {
                placeCaret();
            }
            return true;
        case VirtualKeyEnd:
            moveCaretToPlace(line, lengthOf(line) - 1);
            return true;
        case VirtualKeyHome:
            moveCaretToPlace(line, -1);
            return true;
        case VirtualKeyLeft:
            if (column >= 0)
                moveCaretToPlace(line, column - 1);
            else if (line > 0)
                moveCaretToPlace(line - 1, lengthOf(line - 1) - 1);
            else
                placeCaret();
            return true;
        case VirtualKeyRight:
            if (column < lengthOf(line) - 1)
                moveCaretToPlace(line, column + 1);
            else if (line + 1 < lines)
                moveCaretToPlace(line + 1, -1);
            else
                placeCaret();
            return true;
        case VirtualKeyUp:
            if (line <= 0) return ControlNode::onKeyDown(event);
            moveCaretToPlace(line - 1, std::min(column, lengthOf(line - 1) - 1));
            return true;
        case VirtualKeyDown:
            if (line + 1 >= lines) return ControlNode::onKeyDown(event);
            moveCaretToPlace(line + 1,
                             column >= 0 ? std::min(column, lengthOf(line + 1) - 1) : column);
            return true;
        default:
            break;
    }

    const wchar_t character = static_cast<wchar_t>(e->getChar());
    // No character, a control character other than a tab or a line break (Escape, Ctrl and a
    // letter), or one the mask refuses: the key goes on to focus navigation.
    const bool control = isControlChar(static_cast<u32>(character)) && character != KeyCharTab &&
                         !isLineBreak(character);
    if (character == 0 || control || !isCharAllowed(character))
        return ControlNode::onKeyDown(event);
    if (atLengthLimit()) {
        placeCaret();
        return true;
    }
    m_text = withChar(m_text, position, character);
    showEdit(position + 1);
    postValueChanged();
    return true;
}

// ---- Copy and properties ----

void EditNode::copyFrom(const BaseNode* source, SceneManager* manager) {
    ControlNode::copyFrom(source, manager);
    const EditNode* edit = asEditNode(const_cast<BaseNode*>(source));
    if (!edit || edit == this) return;
    setText(edit->m_text);
    m_maxLength = edit->m_maxLength;
    setInputMask(edit->m_mask);
}

void EditNode::saveProperties(CPropertySet* set) const {
    if (!set) return;
    ControlNode::saveProperties(set);
    if (!m_text.empty()) set->addStringW("Text", m_text);
    if (m_maxLength != NoLengthLimit) set->addInt("MaxTextLength", m_maxLength);
    if (!m_mask.empty()) set->addString("InputMask", m_mask);
}

void EditNode::loadProperties(const CPropertySet* set) {
    if (!set) return;
    ControlNode::loadProperties(set);
    if (hasNodeProperty(set, "Text")) setText(getPropertyTextW(set->getProperty("Text").get()));
    if (hasNodeProperty(set, "MaxTextLength"))
        m_maxLength = unboxPropertyInt(set->getProperty("MaxTextLength").get());
    if (hasNodeProperty(set, "InputMask"))
        setInputMask(getPropertyString(set->getProperty("InputMask").get()));
}

}  // namespace oskel
