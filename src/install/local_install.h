#pragma once
#include <string>

#include "config/ini_reader.h"

namespace tn {

// The local-install registry: install.ini (installed products, components
// and language groups) and update.ini (components that updates cover).
// Made by CreateLocalInstall for one query and freed with Release.
// The slot order is fixed; there is no virtual destructor.
class ILocalInstall {
public:
    virtual void Release() = 0;                                        // 0
    virtual int AddCompose(const wchar_t* component) = 0;              // 1
    virtual int RemoveCompose(const wchar_t* component) = 0;           // 2
    virtual int AddProduct(const wchar_t* product) = 0;                // 3
    virtual int RemoveProduct(const wchar_t* product) = 0;             // 4
    virtual const wchar_t* GetProductList() = 0;                       // 5
    virtual const wchar_t* GetComposeList() = 0;                       // 6
    virtual int Open() = 0;                                            // 7
    virtual std::wstring GetUpdateComposes() = 0;                      // 8
    virtual int AddLangGroup(const wchar_t* groups) = 0;               // 9
    virtual int RemoveLangGroup(const wchar_t* groups) = 0;            // 10
    virtual const wchar_t* GetLangGroup() = 0;                         // 11
    virtual int RemoveUpdateComposes(const wchar_t* components) = 0;   // 12
    virtual int AddUpdateComposes(const wchar_t* components) = 0;      // 13

protected:
    ~ILocalInstall() = default;
};

class CLocalInstall final : public ILocalInstall, private CIniReader {
public:
    void Release() override;
    int AddCompose(const wchar_t* component) override;
    int RemoveCompose(const wchar_t* component) override;
    int AddProduct(const wchar_t* product) override;
    int RemoveProduct(const wchar_t* product) override;
    const wchar_t* GetProductList() override;
    const wchar_t* GetComposeList() override;
    int Open() override;
    std::wstring GetUpdateComposes() override;
    int AddLangGroup(const wchar_t* groups) override;
    int RemoveLangGroup(const wchar_t* groups) override;
    const wchar_t* GetLangGroup() override;
    int RemoveUpdateComposes(const wchar_t* components) override;
    int AddUpdateComposes(const wchar_t* components) override;
    virtual int SetUpdateComposes(const wchar_t* components);          // 14

private:
    ~CLocalInstall() = default;
    friend ILocalInstall* CreateLocalInstall();
    CLocalInstall() = default;
};

// A new object with install.ini opened (also when the file is missing), or
// null when no memory is left. The caller calls Release exactly once.
ILocalInstall* CreateLocalInstall();

// The installed products' or components' list of install.ini, read on its
// own for a question that only reads it (only that line of the file is
// kept): the text GetProductList or GetComposeList of a new object gives,
// empty when install.ini is missing or cannot be read. Running out of
// memory throws std::bad_alloc.
enum class InstalledList { Products, Components };
std::wstring ReadInstalledList(InstalledList which);

// Owns an ILocalInstall for one scope.
class LocalInstallPtr {
public:
    LocalInstallPtr() : p_(CreateLocalInstall()) {}
    ~LocalInstallPtr() { if (p_) p_->Release(); }
    LocalInstallPtr(const LocalInstallPtr&) = delete;
    LocalInstallPtr& operator=(const LocalInstallPtr&) = delete;
    ILocalInstall* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    ILocalInstall* p_;
};

}  // namespace tn
