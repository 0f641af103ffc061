#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeindex>
#include <unordered_map>
#include <utility>

#include "common/errors.h"
#include "serialization/object.h"
#include "serialization/objectblocks.h"
#include "serialization/textfield.h"

namespace serialization {

// "twitter_api.CContribution" for twitter_api::CContribution: the class's namespaces and name,
// joined by dots.
std::string QualifiedName(const std::type_info& type);

// "C" followed by each component of the qualified name as its length in decimal and itself:
// "twitter_api.CContribution" gives "C11twitter_api13CContribution".
std::string TypeTag(std::string_view qualifiedName);

template <class T>
std::string TypeTagOf() {
    return TypeTag(QualifiedName(typeid(T)));
}

template <class Archive>
class ClassDescriptionBase : public Object {
  public:
    virtual std::shared_ptr<Object> createInstance() const = 0;
    virtual const std::string& tag() const = 0;
    virtual void transferFields(Object& object, Archive& archive) const = 0;
    // True when createInstance makes nothing but a default-constructed object of exactly type, so
    // that a reader may build it elsewhere itself.
    virtual bool constructsByDefault(const std::type_info&) const { return false; }
};

// Describes T with a creation callback of the registrant's choice.
template <class Archive, class T>
class ClassDescription final : public ClassDescriptionBase<Archive> {
  public:
    ClassDescription(std::function<std::shared_ptr<Object>()> create, std::string tag)
        : mCreate(std::move(create)), mTag(std::move(tag)) {}
    std::shared_ptr<Object> createInstance() const override { return mCreate(); }
    const std::string& tag() const override { return mTag; }
    void transferFields(Object& object, Archive& archive) const override {
        static_cast<T&>(object).transferFields(archive);
    }

  private:
    std::function<std::shared_ptr<Object>()> mCreate;
    std::string mTag;
};

// Describes T by its default constructor; what a thread registers for itself on first use.
template <class Archive, class T>
class ClassDescriptionDefault final : public ClassDescriptionBase<Archive> {
  public:
    explicit ClassDescriptionDefault(std::string tag) : mTag(std::move(tag)) {}
    std::shared_ptr<Object> createInstance() const override { return std::make_shared<T>(); }
    const std::string& tag() const override { return mTag; }
    void transferFields(Object& object, Archive& archive) const override {
        static_cast<T&>(object).transferFields(archive);
    }
    bool constructsByDefault(const std::type_info& type) const override {
        return type == typeid(T);
    }

  private:
    std::string mTag;
};

// Type tags and descriptions of the archivable classes. Each thread has its own register, filled by
// its own registrations, so lookups need no lock and threads never see each other's entries.
template <class Archive>
class ClassRegister {
  public:
    using Description = ClassDescriptionBase<Archive>;

    static ClassRegister& ForThisThread() {
        thread_local ClassRegister instance;
        return instance;
    }

    template <class T>
    void registerClass(std::function<std::shared_ptr<Object>()> create, std::string tag) {
        enter(typeid(T), std::make_shared<ClassDescription<Archive, T>>(std::move(create), tag));
    }

    template <class T>
    void registerDefault(std::string tag) {
        enter(typeid(T), std::make_shared<ClassDescriptionDefault<Archive, T>>(tag));
    }

    // Type tag, then the object's fields; no signal byte, no tracking.
    template <class T>
    void transferUntracked(Archive& archive, std::shared_ptr<T>& reference) {
        if (archive.isWriting()) {
            writeUntracked(archive, reference);
        } else {
            readUntracked(archive, reference);
        }
    }

    // The reading half; a new object of exactly T that its description default-constructs is
    // built in blocks when given. True when the object was built there, and then builtBy, when
    // given, is set to its description (which stays as long as this register).
    template <class T>
    bool readUntracked(Archive& archive, std::shared_ptr<T>& reference,
                       ObjectBlocks<T>* blocks = nullptr, const Description** builtBy = nullptr) {
        if (reference) {
            throw Exception("Class must be null to be read");
        }
        const auto start = archive.position();
        try {
            TextField tag;  // a view into the archive while it is read
            archive.readView(tag);
            const Description& description = describe<T>(tag.view());
            auto [object, inBlock] = create(description, blocks, archive.bytesLeft());
            // Only an object built in a block keeps the image alive for its text fields.
            const bool viewed = archive.setFieldsViewImage(inBlock);
            try {
                description.transferFields(*object, archive);
            } catch (...) {
                archive.setFieldsViewImage(viewed);
                throw;
            }
            archive.setFieldsViewImage(viewed);
            reference = std::move(object);
            if (inBlock && builtBy) {
                *builtBy = &description;
            }
            return inBlock;
        } catch (...) {
            archive.seekTo(start);
            throw;
        }
    }

  private:
    struct StringHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    using TagMap =
        std::unordered_map<std::string, std::shared_ptr<Description>, StringHash, std::equal_to<>>;

    void enter(std::type_index type, std::shared_ptr<Description> description) {
        const std::string& tag = description->tag();
        if (mTagRegister.contains(tag)) {
            throw Exception("There's already a class registered with the name " + tag);
        }
        mTagRegister.emplace(tag, description);
        mClassRegister[type] = std::move(description);
        mLastWrittenClass = nullptr;  // the class may have had another description
    }

    template <class T>
    void writeUntracked(Archive& archive, std::shared_ptr<T>& object) {
        if (!object) {
            throw Error("A null class reference cannot be written to an archive.");
        }
        const T& instance = *object;
        const Description& description = describeWritten<T>(typeid(instance));
        archive.writeText(description.tag());
        description.transferFields(*object, archive);
    }

    template <class T>
    const Description& describeWritten(const std::type_info& runtimeClass) {
        if (mLastWrittenClass && *mLastWrittenClass == runtimeClass) {
            return *mLastWrittenDescription;
        }
        auto found = mClassRegister.find(runtimeClass);
        if (found == mClassRegister.end()) {
            if (runtimeClass != typeid(T)) {
                throw Exception("Trying to write unregistered class " +
                                QualifiedName(runtimeClass) + " through class reference of type " +
                                QualifiedName(typeid(T)) +
                                ".\nYou need to register the former ahead of time.");
            }
            registerDefault<T>(TypeTagOf<T>());
            found = mClassRegister.find(runtimeClass);
        }
        mLastWrittenClass = &runtimeClass;
        mLastWrittenDescription = found->second;
        return *mLastWrittenDescription;
    }

    // A new object for the description, and whether it was built in blocks.
    template <class T>
    std::pair<std::shared_ptr<T>, bool> create(const Description& description,
                                               ObjectBlocks<T>* blocks, uint64_t bytesLeft) {
        if constexpr (std::is_default_constructible_v<T> && std::is_move_constructible_v<T>) {
            if (blocks && description.constructsByDefault(typeid(T))) {
                return {blocks->make(bytesLeft), true};
            }
        }
        auto object = Downcast<T>(description.createInstance());
        if (!object) {
            throw Exception("The tag " + description.tag() +
                            " names a class that cannot be read through a class reference "
                            "of type " +
                            QualifiedName(typeid(T)) + ".");
        }
        return {std::move(object), false};
    }

    // The checked conversion of a fresh object to the declared class; the exact class, by far the
    // most common case, needs no search of the class hierarchy.
    template <class T>
    static std::shared_ptr<T> Downcast(std::shared_ptr<Object> object) {
        if (!object) {
            return nullptr;
        }
        const Object& instance = *object;
        if (typeid(instance) == typeid(T)) {
            return std::static_pointer_cast<T>(std::move(object));
        }
        return std::dynamic_pointer_cast<T>(std::move(object));
    }

    template <class T>
    const Description& describe(std::string_view tag) {
        if (mLastDescription && mLastDescription->tag() == tag) {
            return *mLastDescription;
        }
        auto found = mTagRegister.find(tag);
        if (found == mTagRegister.end()) {
            if (tag != TypeTagOf<T>()) {
                throw Exception("Trying to read class that has been written with the " +
                                std::string(tag) + " tag through a class reference of type " +
                                QualifiedName(typeid(T)) +
                                ".\nThe tag is unknown, you need to register this tag ahead of "
                                "time.");
            }
            registerDefault<T>(std::string(tag));
            found = mTagRegister.find(tag);
        }
        mLastDescription = found->second;
        return *mLastDescription;
    }

    TagMap mTagRegister;
    std::unordered_map<std::type_index, std::shared_ptr<Description>> mClassRegister;
    std::shared_ptr<Description> mLastDescription;  // consecutive records mostly share one tag
    // The same for writing: the class last written and its description.
    const std::type_info* mLastWrittenClass = nullptr;
    std::shared_ptr<Description> mLastWrittenDescription;
};

}  // namespace serialization
