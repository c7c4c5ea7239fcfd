#pragma once

// Stacks line-array modules in the array's vertical plane (x forward, z up). One calculator walks
// one stack away from the reference point and carries the running angle and running point from
// module to module, so modules must be fed in stack order, nearest first.
class CCalcAimAngleZX {
public:
    virtual ~CCalcAimAngleZX() = default;

    // Moves the running point's z (for a centre module straddling the reference point).
    void SetStartZ(double z) { m_z = z; }
    // Adds a module's splay (degrees) and returns the new running angle, the module's aim.
    double AddAngle(double splay) {
        m_angle += splay;
        return m_angle;
    }
    // Places a module of length `pitch` along the column whose acoustic centre lies `offset`
    // ahead of the column line: sets x and z to that centre and moves past the module. The base
    // knows no direction and leaves everything untouched.
    virtual void Step(double pitch, double offset, double& x, double& z) {
        (void)pitch;
        (void)offset;
        (void)x;
        (void)z;
    }

    double Angle() const { return m_angle; }
    double X() const { return m_x; }
    double Z() const { return m_z; }

protected:
    double m_angle = 0.0;
    double m_x = 0.0;
    double m_z = 0.0;
};

// Stacks upward: negative splays curve the column backward and aim the modules up.
class CCalcAimAngleUpperZX : public CCalcAimAngleZX {
public:
    void Step(double pitch, double offset, double& x, double& z) override;
};

// Stacks downward: positive splays curve the column backward and aim the modules down.
class CCalcAimAngleLowerZX : public CCalcAimAngleZX {
public:
    void Step(double pitch, double offset, double& x, double& z) override;
};
