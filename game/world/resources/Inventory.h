#pragma once

#include <list>

class IEngine;
class WeaponTable;

// What a player carries: weapons with their clips and ammunition by type.
// The local player's copy is mirrored from the server's game messages, so
// both lists are bounded against a server that sends endless ids.
class Inventory {
public:
    struct WeaponEntry {
        int id = -1;
        int category = 0; // 4: explosive
        int type = 0;     // 8: detonator
        int ammoType = -1;
        int clip = 0;
    };
    struct AmmoEntry {
        int ammoType = -1;
        int amount = 0;
    };

    static constexpr int kMinWeaponLimit = 256;
    static constexpr int kMinAmmoLimit = 256;
    static constexpr int kMaxExplosiveTypes = 100;
    static constexpr float kRepeatTime = 0.5f;

    // Null table: no definitions (category 0, ammo type -1, clip size 0).
    // The engine gives the frame time of the repeat delay; null: none passes.
    explicit Inventory(const WeaponTable* table = nullptr, IEngine* engine = nullptr);
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    void SetWeaponTable(const WeaponTable* table) { table_ = table; }
    void SetEngine(IEngine* engine) { engine_ = engine; }

    void Clear();
    bool HasWeapon(int id) const;
    // Null when missing and not created, or when the list is full.
    WeaponEntry* FindWeapon(int id, bool create);
    bool RemoveWeapon(int id);
    // Created with amount 0 when missing; null only when the list is full.
    AmmoEntry* FindAmmo(int type);
    // True when the weapon was newly added.
    bool SetWeapon(int id, int clip, int ammo);
    // False only when the weapon cannot be added.
    bool AddAmmo(int weaponId, int clipAdd, int ammoAdd);
    bool GetWeaponAmmo(int id, int* ammo, int* clip) const;
    int CountExplosives();
    // Category 0: every category but 4.
    int CycleWeapon(int category);
    // The previous weapon of any category but 4.
    int CyclePrevious();
    int FindUsableWeapon() const;
    void SetCurrentWeapon(int id);
    // No weapon is being cycled to any more.
    void CancelCycle();
    // The next cycle steps at once.
    void ResetRepeatTimer() { repeatTimer_ = 0.0f; }

    // The local player's weapon selection, for the game system.
    void SelectWeapon(int id);
    int CycleWeaponClass(int category);
    int CycleExplosive();
    // The explosive selection given up (its last one went).
    void ClearSelectedExplosive() { selectedExplosive_ = -1; }

    const std::list<WeaponEntry>& GetWeapons() const { return weapons_; }
    const std::list<AmmoEntry>& GetAmmo() const { return ammo_; }
    int GetWeaponCount() const { return int(weapons_.size()); }
    int GetAmmoCount() const { return int(ammo_.size()); }
    int GetWeaponLimit() const;
    int GetAmmoLimit() const;
    int GetSelectedWeapon() const { return selectedWeapon_; }
    int GetSelectedExplosive() const { return selectedExplosive_; }
    int GetCurrentWeapon() const { return currentWeapon_; }
    int GetCurrentCategory() const { return currentCategory_; }
    int GetLastSelectedCategory() const { return lastSelectedCategory_; }
    float GetRepeatTimer() const { return repeatTimer_; }

private:
    const WeaponEntry* FindCarried(int id) const;
    const AmmoEntry* FindAmmoEntry(int type) const;
    int AmmoMaximum(int type) const;
    // Counts the frame time down; false while the timer still runs.
    bool RepeatElapsed();

    const WeaponTable* table_;
    IEngine* engine_;
    std::list<WeaponEntry> weapons_;
    std::list<AmmoEntry> ammo_;
    int selectedWeapon_ = -1;
    int selectedExplosive_ = -1;
    int currentWeapon_ = -1;
    int currentCategory_ = 0;
    float repeatTimer_ = 0.0f;
    int lastSelectedCategory_ = 0;
};
