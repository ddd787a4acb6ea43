#include "framework/CObject.h"
#include "framework/CRuntimeClass.h"
#include "tests/framework/SerialTestClasses.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

TEST(RuntimeClass, DescribesEachClass)
{
    EXPECT_STREQ("CCircle", RUNTIME_CLASS(CCircle)->m_lpszClassName);
    EXPECT_EQ(static_cast<int>(sizeof(CCircle)), RUNTIME_CLASS(CCircle)->m_nObjectSize);
    EXPECT_EQ(1u, RUNTIME_CLASS(CCircle)->m_wSchema);
    EXPECT_EQ(VERSIONABLE_SCHEMA | 2u, RUNTIME_CLASS(CSquare)->m_wSchema);
    EXPECT_EQ(0xFFFFu, RUNTIME_CLASS(CDynamicOnly)->m_wSchema);
    EXPECT_EQ(0xFFFFu, RUNTIME_CLASS(CCreatableOnly)->m_wSchema);
    EXPECT_EQ(RUNTIME_CLASS(CShape), RUNTIME_CLASS(CCircle)->GetBaseClass());
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->GetBaseClass());
}

TEST(RuntimeClass, VirtualLookupGivesTheMostDerivedClass)
{
    CCircle circle;
    const CObject& asObject = circle;
    EXPECT_EQ(RUNTIME_CLASS(CCircle), asObject.GetRuntimeClass());
}

TEST(RuntimeClass, IsDerivedFromFollowsTheBaseChain)
{
    EXPECT_TRUE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CCircle)));
    EXPECT_FALSE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CSquare)));
    EXPECT_FALSE(RUNTIME_CLASS(CCircle)->IsDerivedFrom(nullptr));
}

TEST(RuntimeClass, IsKindOfAcceptsTheClassAndItsBases)
{
    CSquare square;
    EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(square.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(square.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_FALSE(square.IsKindOf(RUNTIME_CLASS(CDynamicOnly)));
}

TEST(RuntimeClass, CreateObjectMakesAnObjectOfThatClass)
{
    std::unique_ptr<CObject> circle(RUNTIME_CLASS(CCircle)->CreateObject());
    ASSERT_NE(nullptr, circle);
    EXPECT_EQ(RUNTIME_CLASS(CCircle), circle->GetRuntimeClass());

    std::unique_ptr<CObject> creatable(RUNTIME_CLASS(CCreatableOnly)->CreateObject());
    ASSERT_NE(nullptr, creatable);
    EXPECT_TRUE(creatable->IsKindOf(RUNTIME_CLASS(CCreatableOnly)));
}

TEST(RuntimeClass, ClassesWithoutCreationGiveNull)
{
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CDynamicOnly)->CreateObject());
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->CreateObject());
}

TEST(RuntimeClass, IsSerializableOnlyForSerialClasses)
{
    CCircle circle;
    CDynamicOnly dynamicOnly;
    CCreatableOnly creatable;
    EXPECT_TRUE(circle.IsSerializable());
    EXPECT_FALSE(dynamicOnly.IsSerializable());
    EXPECT_FALSE(creatable.IsSerializable());
}

TEST(RuntimeClassRegistry, FindsSerializableClassesByName)
{
    EXPECT_EQ(RUNTIME_CLASS(CCircle), CRuntimeClass::FromName("CCircle"));
    EXPECT_EQ(RUNTIME_CLASS(CSquare), CRuntimeClass::FromName("CSquare"));
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("CNoSuchClass"));
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("ccircle"));
    EXPECT_EQ(nullptr, CRuntimeClass::FromName(nullptr));
    // Only serializable classes are registered.
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("CCreatableOnly"));
}

TEST(RuntimeClassRegistry, RegisteringAgainKeepsOneEntry)
{
    EXPECT_TRUE(CRuntimeClass::Register(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(CRuntimeClass::Register(RUNTIME_CLASS(CCircle)));
    int count = 0;
    for (CRuntimeClass* pClass = RUNTIME_CLASS(CCircle); pClass != nullptr && count < 1000;
         pClass = pClass->m_pNextClass)
        count += std::strcmp(pClass->m_lpszClassName, "CCircle") == 0 ? 1 : 0;
    EXPECT_EQ(1, count);
    EXPECT_EQ(RUNTIME_CLASS(CCircle), CRuntimeClass::FromName("CCircle"));
    EXPECT_FALSE(CRuntimeClass::Register(nullptr));
}

class CRegisteredByHand : public CObject
{
    DECLARE_DYNCREATE(CRegisteredByHand)
public:
    CRegisteredByHand() = default;
};
IMPLEMENT_DYNCREATE(CRegisteredByHand, CObject)

TEST(RuntimeClassRegistry, ExplicitRegistrationMakesAClassFindable)
{
    // What an application does for classes from static libraries.
    EXPECT_TRUE(CRuntimeClass::Register(RUNTIME_CLASS(CRegisteredByHand)));
    EXPECT_EQ(RUNTIME_CLASS(CRegisteredByHand), CRuntimeClass::FromName("CRegisteredByHand"));
}

} // namespace
