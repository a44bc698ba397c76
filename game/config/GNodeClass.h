#pragma once

// The class pattern of the game's node classes: the name getters, the type id, the kind-of test
// over the base's kinds and the clone. BRASQUEL_NODE_CLASS() declares them inside the class;
// BRASQUEL_DEFINE_NODE_CLASS(Class, TypeId, Base) defines them in its source, where the engine's
// BaseNode (for cloneAs) and oskel's string and integer types are known.
#define BRASQUEL_NODE_CLASS()                                                                     \
    oskel::BaseNode* clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const override; \
    const oskel::stringw& getClassName() const override;                                          \
    const oskel::stringw& getThisClassName() const override;                                      \
    oskel::s32 getTypeId() const override;                                                        \
    bool isKindOf(oskel::s32 typeId) const override;

#define BRASQUEL_DEFINE_NODE_CLASS(Class, TypeId, Base)                                          \
    oskel::BaseNode* Class::clone(oskel::BaseNode* parent, oskel::SceneManager* manager) const { \
        return cloneAs<Class>(this, parent, manager);                                            \
    }                                                                                            \
    const oskel::stringw& Class::getClassName() const {                                          \
        static const oskel::stringw name(L## #Class);                                            \
        return name;                                                                             \
    }                                                                                            \
    const oskel::stringw& Class::getThisClassName() const {                                      \
        static const oskel::stringw name(L## #Class);                                            \
        return name;                                                                             \
    }                                                                                            \
    oskel::s32 Class::getTypeId() const { return TypeId; }                                       \
    bool Class::isKindOf(oskel::s32 typeId) const {                                              \
        return typeId == TypeId || Base::isKindOf(typeId);                                       \
    }
