#pragma once

// A scratch site for the tests of the data store and of the users: the
// settings' folders point into a fresh folder, every permanent table exists
// empty with its index, a virtual day clock, a scripted operator and a
// handler that turns sharing conflicts into the busy indication.

#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "data/site_setup.h"
#include "data/table_access.h"
#include "platform/runtime/dayclock.h"
#include "platform/runtime/operator.h"
#include "platform/xbase/test_support.h"

namespace mp::testing {

class SiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        installTableLayer();
        defaultSettings(settings());
        settings().CDRV1 = m_dir.dir() + "/";
        settings().CDRV2 = m_dir.dir() + "/PROD/";
        settings().CDRV3 = m_dir.dir() + "/BACKUP/";
        settings().CDRV4 = m_dir.dir() + "/WORK/";
        std::string why;
        ASSERT_TRUE(createSiteFolders(why)) << why;
        ASSERT_TRUE(createPermanentTables());
        m_operator.calls.clear();
    }
    void TearDown() override { workAreas().closeAll(); }

    // Path of a site file in its folder (findFile applied).
    std::string pathOf(const char* alias) const { return tableBase(*findTable(alias)); }
    // The operator calls of one kind ("alert", "message"...).
    int calls(const std::string& kind) const {
        int n = 0;
        for (const auto& c : m_operator.calls) n += c.kind == kind;
        return n;
    }

    xbase::testing::ScratchDir m_dir;
    xbase::testing::BusyHandler m_handler;
    ScopedErrorHandler m_handlerGuard{&m_handler};
    ScriptedOperator m_operator;
    ScopedOperator m_operatorGuard{&m_operator};
    VirtualDayClock m_clock{8 * 3600, Date::fromYmd(2026, 3, 14)};
    struct ClockGuard {
        explicit ClockGuard(DayClock* c) { setDayClock(c); }
        ~ClockGuard() { setDayClock(nullptr); }
    } m_clockGuard{&m_clock};
};

}  // namespace mp::testing
