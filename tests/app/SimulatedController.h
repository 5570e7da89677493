#pragma once
// Every start of Ventaro looks for the controller and says so in a modal
// system message box when there is none, which would stop an unattended
// suite. Suites that start Ventaro (or build its module in process) register
// this environment once:
//
//   const auto* const kController = testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);
//
// It runs one ControllerSim.exe for the whole suite and points
// VENTARO_CONTROLLER_PATH at it, for this process and every program it starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "SimHarness.h"

namespace e2e {

class SimulatedControllerEnvironment : public testing::Environment {
public:
    void SetUp() override {
        sim_ = std::make_unique<simharness::CSimProcess>();
        ASSERT_TRUE(sim_->Ready()) << "ControllerSim.exe did not start (build/bin)";
        Point();
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr);
        sim_.reset();
    }

    // The suite's simulator (nullptr outside the run).
    static simharness::CSimProcess* Sim() { return sim_.get(); }
    // Points VENTARO_CONTROLLER_PATH at the simulator again (after a test changed it).
    static void Point() {
        if (sim_) SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", sim_->PipePath().c_str());
    }

private:
    static inline std::unique_ptr<simharness::CSimProcess> sim_;
};

}  // namespace e2e
