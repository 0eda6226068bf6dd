#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/value.h"

namespace mp {

// How one process-wide name reaches the typed C++ state that owns it.
class Binding {
public:
    virtual ~Binding() = default;
    virtual Value get() const = 0;
    // Assigns the whole value; false when the kind does not fit the state.
    virtual bool set(const Value& v) = 0;
    // Arrays: number of elements and access by subscript from 1.
    virtual bool isArray() const { return false; }
    virtual size_t size() const { return 0; }
    virtual std::optional<Value> getAt(size_t subscript) const { return std::nullopt; }
    virtual bool setAt(size_t subscript, const Value& v) { return false; }
};

// The registry of process-wide names. Each piece of program state registers
// its names for as long as it lives; form expressions read and assign them by
// name. Names match without regard to case. Registering a name that already
// exists hides the older binding until the newer registration ends.
class Publics {
public:
    enum class Result { Ok, NoSuchName, WrongKind, BadSubscript };

    // Ends its binding when destroyed. Move-only.
    class Registration {
    public:
        Registration() = default;
        Registration(Registration&& o) noexcept;
        Registration& operator=(Registration&& o) noexcept;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration();
        void release();

    private:
        friend class Publics;
        Registration(Publics* owner, std::string key, uint64_t id);
        Publics* m_owner = nullptr;
        std::string m_key;
        uint64_t m_id = 0;
    };

    static Publics& instance();

    Registration add(std::string_view name, std::unique_ptr<Binding> binding);
    Registration bind(std::string_view name, std::string& text);
    Registration bind(std::string_view name, double& number);
    Registration bind(std::string_view name, bool& logical);
    Registration bind(std::string_view name, Date& date);
    Registration bind(std::string_view name, Value& anyValue);
    Registration bind(std::string_view name, std::vector<std::string>& texts);
    Registration bind(std::string_view name, std::vector<double>& numbers);
    Registration bind(std::string_view name, std::vector<bool>& logicals);
    // A value computed on reading; `setter` may be empty (read-only name).
    Registration bindFunctions(std::string_view name, std::function<Value()> getter,
                               std::function<bool(const Value&)> setter = {});

    bool exists(std::string_view name) const;
    std::optional<Value> get(std::string_view name) const;
    Result assign(std::string_view name, const Value& v);
    std::optional<Value> getElement(std::string_view name, size_t subscript) const;
    Result assignElement(std::string_view name, size_t subscript, const Value& v);
    std::vector<std::string> names() const;  // upper case, sorted

private:
    struct Entry {
        uint64_t id;
        std::unique_ptr<Binding> binding;
    };
    Binding* find(std::string_view name) const;
    void remove(const std::string& key, uint64_t id);

    std::map<std::string, std::vector<Entry>> m_names;
    uint64_t m_nextId = 1;
};

// Several registrations that end together (all the names of one function area).
class PublicsScope {
public:
    PublicsScope() = default;
    PublicsScope(const PublicsScope&) = delete;
    PublicsScope& operator=(const PublicsScope&) = delete;
    void add(Publics::Registration r) { m_regs.push_back(std::move(r)); }
    template <class T>
    void bind(std::string_view name, T& state) { add(Publics::instance().bind(name, state)); }
    void clear() { m_regs.clear(); }

private:
    std::vector<Publics::Registration> m_regs;
};

}  // namespace mp
